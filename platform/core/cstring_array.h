#pragma once

#include "platform/core/cstring.h"

#include <cstddef>
#include <vector>

// An ordered, growable list of strings.
class CStringArray {
public:
    std::size_t GetSize() const { return m_items.size(); }
    std::size_t GetCount() const { return m_items.size(); }
    bool IsEmpty() const { return m_items.empty(); }

    // Resizes the list; new entries are empty strings.
    void SetSize(std::size_t size) { m_items.resize(size); }
    // Appends `item` at the end and returns its index.
    std::size_t Add(const CString& item) {
        m_items.push_back(item);
        return m_items.size() - 1;
    }
    void RemoveAll() { m_items.clear(); }

    const CString& GetAt(std::size_t index) const { return m_items.at(index); }
    const CString& operator[](std::size_t index) const { return m_items.at(index); }
    CString& operator[](std::size_t index) { return m_items.at(index); }

    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    std::vector<CString> m_items;
};
