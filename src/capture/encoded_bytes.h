#pragma once
// The bytes of an encoded picture, held once. They grow with realloc, which
// moves a large block's pages instead of copying them where the allocator can
// (glibc does), so small steps cost little: no second copy of the picture and
// a 64th of slack at most, where blocks joined at the end hold it twice.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

class TEncodedBytes {
 public:
  TEncodedBytes() = default;
  ~TEncodedBytes() { std::free(data_); }
  TEncodedBytes(TEncodedBytes&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)),
        size_(std::exchange(other.size_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {}
  TEncodedBytes& operator=(TEncodedBytes&& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
    return *this;
  }
  TEncodedBytes(const TEncodedBytes&) = delete;
  TEncodedBytes& operator=(const TEncodedBytes&) = delete;

  const std::uint8_t* data() const noexcept { return data_; }
  std::size_t size() const noexcept { return size_; }
  bool empty() const noexcept { return size_ == 0; }
  const std::uint8_t* begin() const noexcept { return data_; }
  const std::uint8_t* end() const noexcept { return data_ + size_; }

  // False, with nothing appended, when the memory cannot be had.
  bool Append(const std::uint8_t* bytes, std::size_t count) {
    if (count == 0) return true;  // nothing to copy, and maybe nowhere yet
    if (count > capacity_ - size_) {
      std::size_t wanted = size_ + count;
      std::size_t grown = capacity_ + capacity_ / 64;
      std::size_t capacity = grown > wanted ? grown : wanted;
      if (capacity < 64 * 1024) capacity = 64 * 1024;
      void* moved = std::realloc(data_, capacity);
      if (moved == nullptr) return false;
      data_ = static_cast<std::uint8_t*>(moved);
      capacity_ = capacity;
    }
    std::memcpy(data_ + size_, bytes, count);
    size_ += count;
    return true;
  }

  std::vector<std::uint8_t> ToVector() const { return {begin(), end()}; }
  friend bool operator==(const TEncodedBytes& bytes, const std::vector<std::uint8_t>& other) {
    return bytes.size_ == other.size() &&
           (bytes.size_ == 0 || std::memcmp(bytes.data_, other.data(), bytes.size_) == 0);
  }

 private:
  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};
