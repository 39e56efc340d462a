// A log of small records with a fixed capacity: appending never allocates, and
// once full each new entry replaces the oldest. Read oldest first, like a
// vector: indexing, iterators, front/back, and comparison with or copy into a
// std::vector. A copy of the log is a log of its own.
#pragma once

#include <cstddef>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

namespace tw {

template <typename T>
class RingLog {
public:
    using value_type = T;
    using size_type = size_t;
    using difference_type = std::ptrdiff_t;
    using reference = const T&;
    using const_reference = const T&;

    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = const T*;
        using reference = const T&;

        const_iterator() = default;
        reference operator*() const { return (*log_)[index_]; }
        pointer operator->() const { return &(*log_)[index_]; }
        reference operator[](difference_type n) const { return (*log_)[index_ + n]; }
        const_iterator& operator++() { return ++index_, *this; }
        const_iterator operator++(int) { return {log_, index_++}; }
        const_iterator& operator--() { return --index_, *this; }
        const_iterator operator--(int) { return {log_, index_--}; }
        const_iterator& operator+=(difference_type n) { return index_ += n, *this; }
        const_iterator& operator-=(difference_type n) { return index_ -= n, *this; }
        friend const_iterator operator+(const_iterator i, difference_type n) { return i += n; }
        friend const_iterator operator+(difference_type n, const_iterator i) { return i += n; }
        friend const_iterator operator-(const_iterator i, difference_type n) { return i -= n; }
        friend difference_type operator-(const_iterator a, const_iterator b) {
            return static_cast<difference_type>(a.index_) - static_cast<difference_type>(b.index_);
        }
        friend bool operator==(const_iterator a, const_iterator b) { return a.index_ == b.index_; }
        friend auto operator<=>(const_iterator a, const_iterator b) {
            return a.index_ <=> b.index_;
        }

    private:
        friend class RingLog;
        const_iterator(const RingLog* log, size_t index) : log_(log), index_(index) {}
        const RingLog* log_ = nullptr;
        size_t index_ = 0;
    };
    using iterator = const_iterator;
    using const_reverse_iterator = std::reverse_iterator<const_iterator>;
    using reverse_iterator = const_reverse_iterator;

    // The capacity is rounded up to a power of two.
    explicit RingLog(size_t capacity) : mask_(roundUp(capacity) - 1) {
        // Default-initialised, as make_unique_for_overwrite would, which the
        // browser build's standard library lacks.
        slots_ = std::unique_ptr<T[]>(new T[mask_ + 1]);
    }
    RingLog(const RingLog& other) : RingLog(other.capacity()) {
        for (const T& entry : other) push(entry);
    }
    RingLog& operator=(const RingLog& other) {
        if (this != &other) {
            RingLog copy(other);
            std::swap(slots_, copy.slots_);
            std::swap(mask_, copy.mask_);
            std::swap(start_, copy.start_);
            std::swap(size_, copy.size_);
        }
        return *this;
    }

    void push(const T& entry) {
        slots_[(start_ + size_) & mask_] = entry;
        if (size_ <= mask_)
            ++size_;
        else
            start_ = (start_ + 1) & mask_;
    }
    void clear() { start_ = size_ = 0; }

    size_t size() const { return size_; }
    size_t capacity() const { return mask_ + 1; }
    bool empty() const { return size_ == 0; }
    // Entry i, counted from the oldest entry kept.
    const T& operator[](size_t i) const { return slots_[(start_ + i) & mask_]; }
    const T& front() const { return (*this)[0]; }
    const T& back() const { return (*this)[size_ - 1]; }
    const T& at(size_t i) const {
        if (i >= size_) throw std::out_of_range("no such log entry");
        return (*this)[i];
    }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size_}; }
    const_reverse_iterator rbegin() const { return const_reverse_iterator(end()); }
    const_reverse_iterator rend() const { return const_reverse_iterator(begin()); }

    operator std::vector<T>() const { return std::vector<T>(begin(), end()); }

    friend bool operator==(const RingLog& log, const std::vector<T>& v) {
        if (log.size() != v.size()) return false;
        for (size_t i = 0; i < v.size(); ++i)
            if (!(log[i] == v[i])) return false;
        return true;
    }

private:
    static size_t roundUp(size_t n) {
        size_t p = 1;
        while (p < n) p <<= 1;
        return p;
    }

    std::unique_ptr<T[]> slots_;
    size_t mask_;
    size_t start_ = 0;
    size_t size_ = 0;
};

}  // namespace tw
