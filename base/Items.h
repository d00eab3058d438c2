// A growing array: the C++ library's containers would bring its exception
// code into the executable, which is built without exceptions.
#pragma once

#include <stdlib.h>
#include <utility>

template <class Item> class Items {
  public:
    Items() = default;
    Items(const Items&) = delete;
    Items& operator=(const Items&) = delete;
    Items(Items&& other) noexcept { *this = std::move(other); }
    Items& operator=(Items&& other) noexcept {
        std::swap(m_items, other.m_items);
        std::swap(m_count, other.m_count);
        std::swap(m_capacity, other.m_capacity);
        return *this;
    }
    ~Items() { delete[] m_items; }

    int Count() const { return m_count; }
    Item& operator[](int index) { return m_items[index]; }
    const Item& operator[](int index) const { return m_items[index]; }
    Item& Last() { return m_items[m_count - 1]; }
    const Item& Last() const { return m_items[m_count - 1]; }
    Item* begin() { return m_items; }
    Item* end() { return m_items + m_count; }
    const Item* begin() const { return m_items; }
    const Item* end() const { return m_items + m_count; }

    void Reserve(int capacity) {
        if (capacity <= m_capacity)
            return;
        Item* items = new Item[capacity]();
        for (int i = 0; i < m_count; ++i)
            items[i] = std::move(m_items[i]);
        delete[] m_items;
        m_items = items;
        m_capacity = capacity;
    }
    // A new item at the end, as its type makes it.
    Item& Add() {
        if (m_count == m_capacity)
            Reserve(m_capacity ? m_capacity * 2 : 16);
        return m_items[m_count++];
    }
    void Add(const Item& item) { Add() = item; }
    // Count items as their type makes them, the earlier ones kept.
    void Resize(int count) {
        Reserve(count);
        while (m_count < count)
            m_items[m_count++] = Item();
        while (m_count > count)
            m_items[--m_count] = Item();
    }
    void RemoveAt(int index) {
        for (int i = index + 1; i < m_count; ++i)
            m_items[i - 1] = std::move(m_items[i]);
        m_items[--m_count] = Item();
    }
    void RemoveLast() { RemoveAt(m_count - 1); }
    void Clear() { Resize(0); }

  private:
    Item* m_items = nullptr;
    int m_count = 0;
    int m_capacity = 0;
};
