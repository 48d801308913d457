// The add-in's collections: one-based, in insertion order, each item stored under a text key.
// Keys compare without regard to ASCII case, so "Orders" and "ORDERS" are one key, the way the
// catalogue engine treats object names; adding a key twice is refused rather than silently
// shadowing the first item.
#pragma once

#include "platform/NumberedError.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace qv {

template <class T> class KeyedCollection {
  public:
    std::size_t Count() const { return mItems.size(); }
    bool empty() const { return mItems.empty(); }

    // Raises 457 when the key is taken; nothing is added then.
    void Add(const std::string& key, T item) {
        if (Exists(key)) throw ErrorCatalogue::make(err::KeyAlreadyExists, "Collection");
        mItems.emplace_back(key, std::move(item));
    }

    bool Exists(const std::string& key) const { return find(key) != mItems.end(); }

    // One-based; raises 9 outside 1..Count.
    const T& Item(std::size_t index) const {
        if (index < 1 || index > mItems.size())
            throw ErrorCatalogue::make(err::SubscriptOutOfRange, "Collection");
        return mItems[index - 1].second;
    }

    // Raises 5 when the key is absent.
    const T& Item(const std::string& key) const {
        auto it = find(key);
        if (it == mItems.end()) throw ErrorCatalogue::make(err::InvalidProcedureCall, "Collection");
        return it->second;
    }

    const std::string& Key(std::size_t index) const {
        Item(index);
        return mItems[index - 1].first;
    }

    // Iteration over the items in order.
    class const_iterator {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = const T*;
        using reference = const T&;
        using Base = typename std::vector<std::pair<std::string, T>>::const_iterator;
        explicit const_iterator(Base b) : mB(b) {}
        const T& operator*() const { return mB->second; }
        const T* operator->() const { return &mB->second; }
        const_iterator& operator++() {
            ++mB;
            return *this;
        }
        bool operator==(const const_iterator& o) const { return mB == o.mB; }
        bool operator!=(const const_iterator& o) const { return mB != o.mB; }

      private:
        Base mB;
    };
    const_iterator begin() const { return const_iterator(mItems.begin()); }
    const_iterator end() const { return const_iterator(mItems.end()); }

  private:
    static bool sameKey(const std::string& a, const std::string& b) {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
                   return std::tolower(x) == std::tolower(y);
               });
    }
    typename std::vector<std::pair<std::string, T>>::const_iterator find(const std::string& key) const {
        return std::find_if(mItems.begin(), mItems.end(),
                            [&](const auto& p) { return sameKey(p.first, key); });
    }

    std::vector<std::pair<std::string, T>> mItems;
};

} // namespace qv
