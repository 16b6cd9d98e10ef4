// Allocation of the records the lists own, with a failure point for tests.
//
// Records are zero-filled heap blocks allocated with new, so that the
// lists' owner deletes them.  Running out of memory is a result here, not
// an exception.
#pragma once

#include <list>
#include <new>

// False when the allocation with the injected failure index is reached.
bool RecordAllocAllowed();

template <class T>
T* NewSisanRecord() {
    if (!RecordAllocAllowed()) return nullptr;
    return new (std::nothrow) T();
}

// Appends pRec; on failure deletes it and answers false.
template <class T>
bool AppendRecord(std::list<T*>& list, T* pRec) {
    try {
        list.push_back(pRec);
        return true;
    } catch (const std::bad_alloc&) {
        delete pRec;
        return false;
    }
}
