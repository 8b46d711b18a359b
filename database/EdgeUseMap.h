#pragma once
// A net's edge-use counts: edge key -> number of the net's connections whose
// paths use the step. A flat open-addressing table (linear probing, backward-
// shift erase, no tombstones) of 8-byte slots instead of a node per entry; it
// offers the operations of the standard map that the router uses (emplace,
// find, erase, count, at, operator[], size, empty, clear and iteration), so
// callers read the same either way. Iteration order is the table's order.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <cstdio>
#include <cstdlib>
#include <utility>

class EdgeUseMap {
public:
    struct Slot {
        int first;   // edge key, kEmpty when the slot is free
        int second;  // count
    };
    static constexpr int kEmpty = -1;  // edge keys are never negative

    class iterator {
    public:
        iterator(Slot* s, Slot* end) : s_(s), end_(end) { skip(); }
        Slot& operator*() const { return *s_; }
        Slot* operator->() const { return s_; }
        iterator& operator++() {
            ++s_;
            skip();
            return *this;
        }
        bool operator==(const iterator& o) const { return s_ == o.s_; }
        bool operator!=(const iterator& o) const { return s_ != o.s_; }
        Slot* slot() const { return s_; }

    private:
        void skip() {
            while (s_ != end_ && s_->first == kEmpty) ++s_;
        }
        Slot* s_;
        Slot* end_;
    };
    using const_iterator = iterator;

    EdgeUseMap() = default;
    EdgeUseMap(const EdgeUseMap& o) { *this = o; }
    EdgeUseMap& operator=(const EdgeUseMap& o) {
        if (this == &o) return *this;
        slots_.reset();
        cap_ = size_ = 0;
        if (o.size_ > 0) {
            cap_ = o.cap_;
            slots_.reset(new Slot[cap_]);
            for (size_t i = 0; i < cap_; ++i) slots_[i] = o.slots_[i];
            size_ = o.size_;
        }
        return *this;
    }
    EdgeUseMap(EdgeUseMap&& o) noexcept { *this = std::move(o); }
    EdgeUseMap& operator=(EdgeUseMap&& o) noexcept {
        slots_ = std::move(o.slots_);
        cap_ = o.cap_;
        size_ = o.size_;
        o.cap_ = o.size_ = 0;
        return *this;
    }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    // Empties the table and releases its memory.
    void clear() {
        slots_.reset();
        cap_ = size_ = 0;
    }

    iterator begin() const { return iterator(slots_.get(), slots_.get() + cap_); }
    iterator end() const { return iterator(slots_.get() + cap_, slots_.get() + cap_); }

    iterator find(int key) const {
        if (size_ == 0) return end();
        Slot* s = slots_.get();
        for (size_t i = home(key);; i = (i + 1) & (cap_ - 1)) {
            if (s[i].first == key) return iterator(s + i, s + cap_);
            if (s[i].first == kEmpty) return end();
        }
    }
    size_t count(int key) const { return find(key) != end() ? 1 : 0; }
    // The count of a key that must be present; a missing key is an internal
    // error that ends the run.
    int& at(int key) {
        iterator it = find(key);
        if (it == end()) {
            fprintf(stderr, "ERROR: EdgeUseMap.h: edge key %d has no count\n", key);
            exit(1);
        }
        return it->second;
    }
    int at(int key) const { return const_cast<EdgeUseMap*>(this)->at(key); }
    int& operator[](int key) { return emplace(key, 0).first->second; }

    // Inserts (key, value) unless key is present; returns the entry and
    // whether it was inserted.
    std::pair<iterator, bool> emplace(int key, int value) {
        if ((size_ + 1) * 4 > cap_ * 3) grow();
        Slot* s = slots_.get();
        size_t i = home(key);
        while (s[i].first != kEmpty) {
            if (s[i].first == key) return {iterator(s + i, s + cap_), false};
            i = (i + 1) & (cap_ - 1);
        }
        s[i].first = key;
        s[i].second = value;
        ++size_;
        return {iterator(s + i, s + cap_), true};
    }

    std::pair<iterator, bool> insert(const std::pair<int, int>& kv) { return emplace(kv.first, kv.second); }
    // Room for n entries without growing.
    void reserve(size_t n) {
        while (n * 4 > cap_ * 3) grow();
    }

    // Removes the entry at it (backward-shift deletion keeps every probe chain whole).
    void erase(iterator it) {
        Slot* s = slots_.get();
        size_t i = static_cast<size_t>(it.slot() - s);
        const size_t mask = cap_ - 1;
        size_t j = i;
        for (;;) {
            j = (j + 1) & mask;
            if (s[j].first == kEmpty) break;
            const size_t k = home(s[j].first);
            // Move s[j] into the hole at i when its home does not lie in (i, j].
            const bool between = i <= j ? (i < k && k <= j) : (i < k || k <= j);
            if (!between) {
                s[i] = s[j];
                i = j;
            }
        }
        s[i].first = kEmpty;
        --size_;
    }
    size_t erase(int key) {
        iterator it = find(key);
        if (it == end()) return 0;
        erase(it);
        return 1;
    }

private:
    size_t home(int key) const {
        uint32_t h = static_cast<uint32_t>(key) * 0x9E3779B1u;
        return static_cast<size_t>(h ^ (h >> 15)) & (cap_ - 1);
    }
    void grow() {
        const size_t old = cap_;
        std::unique_ptr<Slot[]> prev = std::move(slots_);
        cap_ = old == 0 ? 4 : old * 2;
        slots_.reset(new Slot[cap_]);
        for (size_t i = 0; i < cap_; ++i) slots_[i].first = kEmpty;
        size_ = 0;
        for (size_t i = 0; i < old; ++i)
            if (prev[i].first != kEmpty) emplace(prev[i].first, prev[i].second);
    }

    std::unique_ptr<Slot[]> slots_;
    size_t cap_ = 0;  // a power of two, or 0
    size_t size_ = 0;
};
