#include "platform/core/exception_report.h"

#include "platform/core/exceptions.h"
#include "platform/core/message_box.h"

#include <new>

void ReportException(std::exception_ptr failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const CUserException&) {
        // Already shown to the user by the code that raised it.
    } catch (const CMemoryException& e) {
        AfxMessageBox(e.GetErrorMessage(), MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
    } catch (const std::bad_alloc&) {
        AfxMessageBox(CMemoryException().GetErrorMessage(), MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
    } catch (const CException& e) {
        const CString text = e.GetErrorMessage();
        AfxMessageBox(text.IsEmpty() ? CString("Internal application error.") : text, MB_ICONSTOP);
    } catch (const std::exception& e) {
        const CString text(e.what());
        AfxMessageBox(text.IsEmpty() ? CString("Internal application error.") : text, MB_ICONSTOP);
    } catch (...) {
        AfxMessageBox("Internal application error.", MB_ICONSTOP);
    }
}
