#include "tests/support/failing_allocation.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <link.h>
#include <new>
#include <stdexcept>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#define GRIBJOIN_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GRIBJOIN_ADDRESS_SANITIZER 1
#endif
#endif

namespace {

bool g_armed = false;
long g_count = 0;
long g_failAt = -1;

bool g_libraryArmed = false;
long g_libraryCount = 0;
long g_libraryFailAt = -1;
std::uintptr_t g_libraryBegin = 0;
std::uintptr_t g_libraryEnd = 0;

void* Allocate(std::size_t size) {
    if (g_armed && g_count++ == g_failAt)
        throw std::bad_alloc();
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

struct CodeRange {
    const char* name;
    std::uintptr_t begin = 0;
    std::uintptr_t end = 0;
};

// Finds the executable segment of the loaded library named like range->name.
int FindLibrary(dl_phdr_info* info, std::size_t, void* data) {
    auto* range = static_cast<CodeRange*>(data);
    if (info->dlpi_name == nullptr || std::strstr(info->dlpi_name, range->name) == nullptr)
        return 0;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const auto& segment = info->dlpi_phdr[i];
        if (segment.p_type == PT_LOAD && (segment.p_flags & PF_X)) {
            range->begin = info->dlpi_addr + segment.p_vaddr;
            range->end = range->begin + segment.p_memsz;
            return 1;
        }
    }
    return 0;
}

} // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return operator new(size, std::nothrow);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}

#ifndef GRIBJOIN_ADDRESS_SANITIZER
extern "C" void* __libc_malloc(std::size_t size);

// Every malloc of the program comes here and goes on to the C library's own;
// only a call from the armed library's code is counted.
extern "C" void* malloc(std::size_t size) noexcept {
    if (g_libraryArmed) {
        const auto caller = reinterpret_cast<std::uintptr_t>(__builtin_return_address(0));
        if (caller >= g_libraryBegin && caller < g_libraryEnd &&
            g_libraryCount++ == g_libraryFailAt) {
            errno = ENOMEM;
            return nullptr;
        }
    }
    return __libc_malloc(size);
}
#endif

namespace allocation_faults {

void Arm(long failAt) {
    g_count = 0;
    g_failAt = failAt;
    g_armed = true;
}

long Disarm() {
    g_armed = false;
    return g_count;
}

bool LibraryMallocSupported() {
#ifdef GRIBJOIN_ADDRESS_SANITIZER
    return false;
#else
    return true;
#endif
}

void ArmLibraryMalloc(const char* libraryName, long failAt) {
    CodeRange range{libraryName};
    dl_iterate_phdr(FindLibrary, &range);
    if (range.begin == 0)
        throw std::runtime_error(std::string(libraryName) + " is not loaded");
    g_libraryBegin = range.begin;
    g_libraryEnd = range.end;
    g_libraryCount = 0;
    g_libraryFailAt = failAt;
    g_libraryArmed = true;
}

long DisarmLibraryMalloc() {
    g_libraryArmed = false;
    return g_libraryCount;
}

} // namespace allocation_faults
