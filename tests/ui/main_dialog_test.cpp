#include "platform/core/message_box.h"
#include "platform/gui/cwinapp.h"
#include "platform/gui/dialog_units.h"
#include "platform/gui/qt_message_box.h"
#include "tests/support/modal_catcher.h"
#include "tests/support/test_files.h"
#include "ui/gribjoin_dlg.h"
#include "ui/res/main_dialog_template.h"

#include <filesystem>

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

// The application object of the tests: named like the program, with a help
// file that does not exist, and a record of every help request.
class TestApp : public CWinApp {
public:
    TestApp() : CWinApp("gribjoin") { m_pszHelpFilePath = "/nonexistent/gribjoin.HLP"; }
    void WinHelp(unsigned context) override {
        helpContexts.push_back(context);
        CWinApp::WinHelp(context);
    }
    std::vector<unsigned> helpContexts;
};

// A main dialog, created and shown as DoModal would show it, without a
// modal loop, so the test can drive it.
class ShownDialog {
public:
    explicit ShownDialog(TestApp& app) {
        app.m_pMainWnd = &dialog;
        dialog.Create();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QApplication::setActiveWindow(&dialog);
    }
    template <typename T> T* item(int id) { return qobject_cast<T*>(dialog.GetDlgItem(id)); }
    QLineEdit* destination() { return item<QLineEdit>(IDC_DESTINATION); }
    QLineEdit* sources() { return item<QLineEdit>(IDC_SOURCES); }
    QPushButton* button(int id) { return item<QPushButton>(id); }

    CGribJoinDlg dialog;
};

} // namespace

class MainDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { SetMessageBoxHandler(ShowQtMessageBox); }
    void cleanup() {
        app.helpContexts.clear();
        QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty() ||
                    std::none_of(QApplication::topLevelWidgets().begin(),
                                 QApplication::topLevelWidgets().end(),
                                 [](QWidget* w) { return w->isVisible(); }));
    }

    void startState() {
        ShownDialog shown(app);
        auto& dialog = shown.dialog;
        QCOMPARE(shown.sources()->text(), QString());
        QCOMPARE(shown.destination()->text(), QString());
        QVERIFY(shown.sources()->isReadOnly());
        QVERIFY(!shown.destination()->isReadOnly());
        QCOMPARE(QApplication::focusWidget(), shown.button(IDOK));
        QVERIFY(shown.button(IDOK)->isDefault());
        QVERIFY(!dialog.windowIcon().isNull());
        QCOMPARE(dialog.windowIcon().availableSizes(), (QList<QSize>{{32, 32}, {16, 16}}));
        QVERIFY(dialog.windowTitle().startsWith("GribJoin"));
        QVERIFY(dialog.windowTitle().contains("Copyright"));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        const Qt::WindowFlags flags = dialog.windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                           Qt::WindowContextHelpButtonHint)));
        QCOMPARE(shown.item<QLabel>(-1), nullptr);
        dialog.close();
    }

    void dialogUnitsToPixels_data() {
        QTest::addColumn<QRect>("units");
        QTest::addColumn<double>("baseX");
        QTest::addColumn<int>("baseY");
        QTest::addColumn<QRect>("pixels");
        // The classic 8-point dialog font has base units 6 x 13.
        QTest::newRow("whole dialog at 6x13")
            << QRect(0, 0, 303, 79) << 6.0 << 13 << QRect(0, 0, 455, 128);
        QTest::newRow("Combine at 6x13")
            << QRect(94, 54, 50, 14) << 6.0 << 13 << QRect(141, 88, 75, 23);
        QTest::newRow("edges round one by one")
            << QRect(73, 19, 206, 12) << 7.0 << 15 << QRect(128, 36, 360, 22);
        QTest::newRow("fractional base unit")
            << QRect(7, 21, 59, 8) << 6.404 << 12 << QRect(11, 32, 95, 12);
        QTest::newRow("zero size") << QRect(5, 5, 0, 0) << 6.0 << 13 << QRect(8, 8, 0, 0);
    }

    void dialogUnitsToPixels() {
        QFETCH(QRect, units);
        QFETCH(double, baseX);
        QFETCH(int, baseY);
        QFETCH(QRect, pixels);
        QCOMPARE(DialogUnitsToPixels(units, DialogBaseUnits{baseX, baseY}), pixels);
    }

    void controlsFollowTheTemplateAndTheirTextsFit() {
        ShownDialog shown(app);
        const DialogBaseUnits base = BaseUnitsOf(shown.dialog.font());
        QVERIFY(base.x > 0 && base.y > 0);
        QCOMPARE(shown.dialog.size(), DialogUnitsToPixels(QRect(0, 0, 303, 79), base).size());
        const auto children =
            shown.dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
        int index = 0;
        for (const ControlTemplate& control : MainDialogTemplate().controls) {
            auto* widget = shown.dialog.findChild<QWidget*>(control.objectName);
            QVERIFY2(widget, control.objectName);
            QCOMPARE(
                widget->geometry(),
                DialogUnitsToPixels(QRect(control.x, control.y, control.cx, control.cy), base));
            QCOMPARE(children.at(index++), widget); // template order is creation order
            const QString text = QString::fromUtf8(control.text);
            const int textWidth = widget->fontMetrics().horizontalAdvance(text.trimmed());
            QVERIFY2(textWidth <= widget->width(), qPrintable(text));
        }
        auto* hint = shown.dialog.findChild<QLabel*>("hintLabel");
        QCOMPARE(hint->text(),
                 QString("Use <CTRL>+Click or <SHIFT>+Click to select multiple files. "));
        QCOMPARE(hint->textFormat(), Qt::PlainText);
        shown.dialog.close();
    }

    void keyboard_data() {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result");
        QTest::newRow("Enter at start runs Combine") << "" << int(Qt::Key_Return) << int(IDOK);
        QTest::newRow("keypad Enter at start runs Combine")
            << "" << int(Qt::Key_Enter) << int(IDOK);
        QTest::newRow("Enter in the destination box runs Combine")
            << "destinationEdit" << int(Qt::Key_Return) << int(IDOK);
        QTest::newRow("Enter in the sources box runs Combine")
            << "sourcesEdit" << int(Qt::Key_Return) << int(IDOK);
        QTest::newRow("Enter on Done closes")
            << "doneButton" << int(Qt::Key_Return) << int(IDCANCEL);
        QTest::newRow("Space on Done closes")
            << "doneButton" << int(Qt::Key_Space) << int(IDCANCEL);
        QTest::newRow("Space on Combine runs Combine") << "" << int(Qt::Key_Space) << int(IDOK);
        QTest::newRow("Esc closes") << "" << int(Qt::Key_Escape) << int(IDCANCEL);
        QTest::newRow("Esc in the destination box closes")
            << "destinationEdit" << int(Qt::Key_Escape) << int(IDCANCEL);
    }

    void keyboard() {
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(int, result);
        ShownDialog shown(app);
        QWidget* target =
            focus.isEmpty() ? QApplication::focusWidget() : shown.dialog.findChild<QWidget*>(focus);
        target->setFocus();
        ModalCatcher catcher;
        QTest::keyClick(target, Qt::Key(key));
        QTRY_VERIFY(!shown.dialog.isVisible());
        QCOMPARE(shown.dialog.result(), result);
        QCOMPARE(catcher.texts(), QStringList()); // an empty run shows nothing
    }

    void closeRequestActsAsDone() {
        ShownDialog shown(app);
        QVERIFY(shown.dialog.close());
        QCOMPARE(shown.dialog.result(), int(IDCANCEL));
    }

    void tabOrderFollowsTheTemplate() {
        ShownDialog shown(app);
        const QStringList expected{"doneButton",      "sourcesEdit",           "pickSourcesButton",
                                   "destinationEdit", "pickDestinationButton", "combineButton"};
        QStringList visited;
        for (int i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, expected);
        shown.dialog.close();
    }

    void combineWritesTheDestinationTheBoxShows() {
        ScopedTempDir dir;
        WriteFile(dir / "a.grb", "GRIB-a-7777");
        ShownDialog shown(app);
        shown.dialog.m_sourceList.Add((dir / "a.grb").c_str());
        shown.dialog.m_destinationPath = (dir / "picked.grb").c_str();
        shown.dialog.UpdateData(false);
        // Edited by hand after the pick: the edited name is what gets written.
        shown.destination()->setText(QString::fromStdString(dir / "typed.grb"));

        QTest::mouseClick(shown.button(IDOK), Qt::LeftButton);

        QVERIFY(!shown.dialog.isVisible());
        QCOMPARE(shown.dialog.result(), int(IDOK));
        QCOMPARE(ReadFile(dir / "typed.grb"), std::string("GRIB-a-7777"));
        QVERIFY(!std::filesystem::exists(dir / "picked.grb"));
    }

    void failedRunIsReportedAndKeepsTheDialogOpen_data() {
        QTest::addColumn<QString>("destinationName");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("icon");
        QTest::newRow("read error: a folder named like a GRIB file")
            << "out.grb"
            << QStringList{"An unknown error occurred while accessing an unnamed file."}
            << int(QMessageBox::Critical);
        QTest::newRow("the destination is a source")
            << "a.grb" << QStringList{"The output GRIB file @/a.grb is also one of the sources."}
            << int(QMessageBox::Warning);
    }

    void failedRunIsReportedAndKeepsTheDialogOpen() {
        QFETCH(QString, destinationName);
        QFETCH(QStringList, texts);
        QFETCH(int, icon);
        ScopedTempDir dir;
        WriteFile(dir / "a.grb", "GRIB-a-7777");
        std::filesystem::create_directory(dir / "folder.grb");
        const QString folder = QString::fromStdString(dir.path().string());
        const QString destination = folder + "/" + destinationName;

        ShownDialog shown(app);
        shown.dialog.m_sourceList.Add((dir / "a.grb").c_str());
        shown.dialog.m_sourceList.Add((dir / "folder.grb").c_str());
        shown.destination()->setText(destination);
        ModalCatcher catcher;
        QTest::keyClick(shown.button(IDOK), Qt::Key_Return);

        QCOMPARE(catcher.texts(), texts.replaceInStrings("@", folder));
        QCOMPARE(int(catcher.boxes().at(0).icon), icon);
        QCOMPARE(catcher.boxes().at(0).caption, QString("gribjoin"));
        QCOMPARE(catcher.boxes().at(0).owner, &shown.dialog);
        QVERIFY(catcher.boxes().at(0).applicationModal);
        QVERIFY(shown.dialog.isVisible());
        QCOMPARE(shown.dialog.m_sourceList.GetSize(), std::size_t{2});
        QCOMPARE(QString::fromStdString(shown.dialog.m_destinationPath.str()), destination);
        QCOMPARE(ReadFile(dir / "a.grb"), std::string("GRIB-a-7777"));
        shown.dialog.close();
    }

    void openFailureShowsAnExclamationBoxAndTheRunGoesOn() {
        ScopedTempDir dir;
        ShownDialog shown(app);
        shown.dialog.m_sourceList.Add((dir / "missing.grb").c_str());
        shown.destination()->setText(QString::fromStdString(dir / "out.grb"));
        ModalCatcher catcher;
        QTest::keyClick(shown.button(IDOK), Qt::Key_Return);
        QCOMPARE(catcher.texts(),
                 QStringList{QString::fromStdString("Cound not open input GRIB file " +
                                                    (dir / "missing.grb") + ".")});
        QCOMPARE(int(catcher.boxes().at(0).icon), int(QMessageBox::Warning));
        QCOMPARE(shown.dialog.result(), int(IDOK));
        QVERIFY(!shown.dialog.isVisible());
    }

    void f1AsksForTheDialogsHelpContext_data() {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("asked");
        QTest::newRow("F1 alone") << int(Qt::NoModifier) << true;
        QTest::newRow("Shift+F1") << int(Qt::ShiftModifier) << false;
        QTest::newRow("Ctrl+F1") << int(Qt::ControlModifier) << false;
        QTest::newRow("Alt+F1") << int(Qt::AltModifier) << false;
    }

    void f1AsksForTheDialogsHelpContext() {
        QFETCH(int, modifiers);
        QFETCH(bool, asked);
        ShownDialog shown(app);
        ModalCatcher catcher;
        QTest::keyClick(shown.destination(), Qt::Key_F1, Qt::KeyboardModifiers(modifiers));
        if (asked) {
            QCOMPARE(app.helpContexts, std::vector<unsigned>{0x20066});
            QCOMPARE(catcher.texts(), QStringList{"Failed to launch help."});
            QCOMPARE(catcher.boxes().at(0).caption, QString("gribjoin"));
        } else {
            QVERIFY(app.helpContexts.empty());
            QCOMPARE(catcher.texts(), QStringList());
        }
        QVERIFY(shown.dialog.isVisible());
        shown.dialog.close();
    }

    void minimisedIconIsCentred_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("x");
        QTest::newRow("36 wide") << 36 << 2;
        QTest::newRow("32 wide") << 32 << 0;
        QTest::newRow("30 wide truncates -1/2 to 0") << 30 << 0;
        QTest::newRow("28 wide truncates -3/2 to -1") << 28 << -1;
    }

    void minimisedIconIsCentred() {
        QFETCH(int, width);
        QFETCH(int, x);
        QCOMPARE(CenteredIconPosition(QSize(width, width), QSize(32, 32)), QPoint(x, x));
    }

private:
    TestApp app;
};

QTEST_MAIN(MainDialogTest)
#include "main_dialog_test.moc"
