#pragma once
// Open-addressing hash map from 64-bit keys to 64-bit values, used for grid edges and
// G-cell nodes. Much faster than std::unordered_map at millions of entries, and clear()
// costs time proportional to the entries in use so that one map can be reused per net.

#include <cstdint>
#include <vector>

namespace ispdcheck {

class FlatMap {
public:
    static constexpr uint64_t kEmpty = ~0ULL;  // never a valid key

    FlatMap() { rehash(16); }

    // Value for key, inserting 0 when absent.
    int64_t& at(uint64_t key) {
        if ((used_.size() + 1) * 2 > keys_.size()) rehash(keys_.size() * 2);
        size_t i = slot(key);
        if (keys_[i] == kEmpty) {
            keys_[i] = key;
            vals_[i] = 0;
            used_.push_back(i);
        }
        return vals_[i];
    }

    // Pointer to the value, or nullptr when absent.
    const int64_t* find(uint64_t key) const {
        size_t i = slot(key);
        return keys_[i] == kEmpty ? nullptr : &vals_[i];
    }

    size_t size() const { return used_.size(); }

    void clear() {
        for (size_t i : used_) keys_[i] = kEmpty;
        used_.clear();
    }

    // Calls f(key, value) for every entry, in insertion order.
    template <class F>
    void forEach(F f) const {
        for (size_t i : used_) f(keys_[i], vals_[i]);
    }

private:
    static uint64_t mix(uint64_t z) {
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    size_t slot(uint64_t key) const {
        size_t mask = keys_.size() - 1;
        size_t i = static_cast<size_t>(mix(key)) & mask;
        while (keys_[i] != kEmpty && keys_[i] != key) i = (i + 1) & mask;
        return i;
    }
    void rehash(size_t capacity) {
        std::vector<uint64_t> oldKeys;
        std::vector<int64_t> oldVals;
        std::vector<size_t> oldUsed;
        oldKeys.swap(keys_);
        oldVals.swap(vals_);
        oldUsed.swap(used_);
        keys_.assign(capacity, kEmpty);
        vals_.assign(capacity, 0);
        used_.reserve(capacity / 2);
        for (size_t i : oldUsed) {
            size_t j = slot(oldKeys[i]);
            keys_[j] = oldKeys[i];
            vals_[j] = oldVals[i];
            used_.push_back(j);
        }
    }

    std::vector<uint64_t> keys_;
    std::vector<int64_t> vals_;
    std::vector<size_t> used_;  // occupied slots, in insertion order
};

}  // namespace ispdcheck
