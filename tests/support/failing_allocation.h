#pragma once

// Linked into a test program, failing_allocation.cpp replaces the global
// operator new and delete with versions that count the allocations made while
// armed and can make a chosen one throw std::bad_alloc, as when memory runs
// out. It can also count and fail the malloc calls made from inside one shared
// library (libbzip2 allocates with malloc), except under AddressSanitizer,
// which owns malloc itself.
namespace allocation_faults {

// Counts the operator new calls from now on; the one with index `failAt`
// (from 0) throws std::bad_alloc. -1 only counts.
void Arm(long failAt = -1);
// Stops counting and returns how many were counted.
long Disarm();

// Whether malloc calls from a library can be counted and failed here.
bool LibraryMallocSupported();
// Counts the malloc calls made from code of the loaded library whose file
// name contains `libraryName`; the one with index `failAt` returns null.
void ArmLibraryMalloc(const char* libraryName, long failAt = -1);
long DisarmLibraryMalloc();

} // namespace allocation_faults
