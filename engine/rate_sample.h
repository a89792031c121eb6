#pragma once
// One second of one adapter's traffic, as the graph views, the tray icon and
// the rates recorder receive it, and the history of them.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <vector>

namespace qm {

struct RateSample {
  uint32_t download = 0;         // bytes received during the tick
  uint32_t upload = 0;           // bytes sent during the tick
  uint32_t averageDownload = 0;  // cumulative download / sample count
  uint32_t averageUpload = 0;
};

// The samples of one adapter, newest first: a ring over storage that only
// grows, so that a full history takes a sample every second without
// allocating.
class SampleHistory {
 public:
  class const_iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = RateSample;
    using difference_type = std::ptrdiff_t;
    using pointer = const RateSample*;
    using reference = const RateSample&;

    const_iterator(const SampleHistory* h, size_t i) : h_(h), i_(i) {}
    reference operator*() const { return (*h_)[i_]; }
    pointer operator->() const { return &(*h_)[i_]; }
    const_iterator& operator++() {
      ++i_;
      return *this;
    }
    bool operator==(const const_iterator& o) const { return i_ == o.i_; }
    bool operator!=(const const_iterator& o) const { return i_ != o.i_; }

   private:
    const SampleHistory* h_;
    size_t i_;
  };

  SampleHistory() = default;
  SampleHistory(size_t count, const RateSample& sample) : ring_(count, sample), size_(count) {}
  SampleHistory(std::initializer_list<RateSample> samples) : ring_(samples), size_(samples.size()) {}

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  size_t capacity() const { return ring_.size(); }
  const RateSample& operator[](size_t i) const { return ring_[Slot(i)]; }
  RateSample& operator[](size_t i) { return ring_[Slot(i)]; }
  const RateSample& front() const { return (*this)[0]; }
  const_iterator begin() const { return const_iterator(this, 0); }
  const_iterator end() const { return const_iterator(this, size_); }

  // Room for `count` samples without growing.
  void reserve(size_t count) {
    if (count > ring_.size()) Regrow(count);
  }
  void push_front(const RateSample& sample) {
    if (size_ == ring_.size()) Regrow(ring_.size() < 8 ? 16 : ring_.size() * 2);
    head_ = head_ == 0 ? ring_.size() - 1 : head_ - 1;
    ring_[head_] = sample;
    ++size_;
  }
  // An older sample than every one held.
  void push_back(const RateSample& sample) {
    if (size_ == ring_.size()) Regrow(ring_.size() < 8 ? 16 : ring_.size() * 2);
    ring_[Slot(size_)] = sample;
    ++size_;
  }
  void pop_back() {
    if (size_ > 0) --size_;
  }
  void clear() { size_ = head_ = 0; }

 private:
  size_t Slot(size_t i) const {
    const size_t s = head_ + i;
    return s < ring_.size() ? s : s - ring_.size();
  }
  void Regrow(size_t count) {
    std::vector<RateSample> grown(count);
    for (size_t i = 0; i < size_; ++i) grown[i] = (*this)[i];
    ring_.swap(grown);
    head_ = 0;
  }

  std::vector<RateSample> ring_;
  size_t head_ = 0;  // the newest sample's slot
  size_t size_ = 0;
};

}  // namespace qm
