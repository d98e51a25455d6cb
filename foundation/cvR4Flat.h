// A two-dimensional table of single values in one block: indexed [i][j] as TAR4R4 is (size()
// rows i of Cols() values j, both 0-based), but stored with i fastest, so that line j (the Rows()
// values of one j) is contiguous (Line). A map of nX slit positions by nY slit pixels thus lies in
// memory as in its file (x fastest) and is read into place. A row [i] is a view with stride
// Rows(); it stays valid until the table is reshaped or freed.
// Blocks of freed tables are kept (up to CacheLimit bytes in all) and handed to the next table of
// the same size, so reloading maps touches no fresh memory; TrimCache gives them back.
#pragma once
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <utility>

#include "foundation/cvTy.h"

class TAR4R4Flat {
 public:
  // One row [i]: Cols() values, Rows() apart in the block.
  template <class T>
  class TRow {
   public:
    class iterator {
     public:
      using iterator_category = std::random_access_iterator_tag;
      using value_type = float;
      using difference_type = std::ptrdiff_t;
      using pointer = T*;
      using reference = T&;
      iterator() = default;
      iterator(T* P, size_t Stride) : p_(P), s_(Stride) {}
      T& operator*() const { return *p_; }
      T& operator[](difference_type K) const { return p_[K * static_cast<difference_type>(s_)]; }
      iterator& operator++() { p_ += s_; return *this; }
      iterator operator++(int) { iterator t = *this; p_ += s_; return t; }
      iterator& operator--() { p_ -= s_; return *this; }
      iterator operator--(int) { iterator t = *this; p_ -= s_; return t; }
      iterator& operator+=(difference_type K) {
        p_ += K * static_cast<difference_type>(s_);
        return *this;
      }
      iterator& operator-=(difference_type K) {
        p_ -= K * static_cast<difference_type>(s_);
        return *this;
      }
      friend iterator operator+(iterator A, difference_type K) { return A += K; }
      friend iterator operator+(difference_type K, iterator A) { return A += K; }
      friend iterator operator-(iterator A, difference_type K) { return A -= K; }
      friend difference_type operator-(const iterator& A, const iterator& B) {
        return A.s_ ? (A.p_ - B.p_) / static_cast<difference_type>(A.s_) : 0;
      }
      friend bool operator==(const iterator& A, const iterator& B) { return A.p_ == B.p_; }
      friend auto operator<=>(const iterator& A, const iterator& B) { return A.p_ <=> B.p_; }

     private:
      T* p_ = nullptr;
      size_t s_ = 1;
    };
    using const_iterator = iterator;
    using value_type = float;

    TRow(T* P, size_t N, size_t Stride) : p_(P), n_(N), s_(Stride) {}
    T& operator[](size_t J) const { return p_[J * s_]; }
    size_t size() const { return n_; }
    bool empty() const { return n_ == 0; }
    iterator begin() const { return iterator(p_, s_); }
    // One past the last value, computed without forming a pointer outside the block.
    iterator end() const { return iterator(n_ ? p_ + (n_ - 1) * s_ : p_, s_) + (n_ ? 1 : 0); }
    TAR4 ToAR4() const { return TAR4(begin(), end()); }

   private:
    T* p_;
    size_t n_, s_;
  };
  using row = TRow<float>;
  using const_row = TRow<const float>;

  // Rows for range-for: `for (const auto& r : table)`.
  template <class Table, class Row>
  class TRowIter {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = Row;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = Row;
    TRowIter() = default;
    TRowIter(Table* A, size_t I) : a_(A), i_(I) {}
    Row operator*() const { return (*a_)[i_]; }
    TRowIter& operator++() { ++i_; return *this; }
    TRowIter operator++(int) { TRowIter t = *this; ++i_; return t; }
    friend bool operator==(const TRowIter& A, const TRowIter& B) { return A.i_ == B.i_; }

   private:
    Table* a_ = nullptr;
    size_t i_ = 0;
  };
  using iterator = TRowIter<TAR4R4Flat, row>;
  using const_iterator = TRowIter<const TAR4R4Flat, const_row>;
  using value_type = row;

  TAR4R4Flat() = default;
  // Rows x Cols zeros.
  TAR4R4Flat(size_t Rows, size_t Cols) { Assign(Rows, Cols); }
  TAR4R4Flat(const TAR4R4Flat& A);
  TAR4R4Flat(TAR4R4Flat&& A) noexcept { swap(A); }
  TAR4R4Flat& operator=(const TAR4R4Flat& A);
  TAR4R4Flat& operator=(TAR4R4Flat&& A) noexcept {
    TAR4R4Flat(std::move(A)).swap(*this);
    return *this;
  }
  ~TAR4R4Flat() { Free(); }

  // Rows x Cols zeros.
  void Assign(size_t Rows, size_t Cols);
  // Rows x Cols values left as they are: the block is kept when the count is the same, else a
  // kept or new block is taken. For a table that is filled at once.
  void Shape(size_t Rows, size_t Cols);
  // No rows and no block.
  void Free();
  void swap(TAR4R4Flat& A) noexcept;

  size_t size() const { return rows_; }
  bool empty() const { return rows_ == 0; }
  size_t Rows() const { return rows_; }
  size_t Cols() const { return cols_; }
  size_t Count() const { return rows_ * cols_; }
  float* Data() { return p_; }
  const float* Data() const { return p_; }
  // The Rows() values of one j, contiguous.
  float* Line(size_t J) { return p_ + J * rows_; }
  const float* Line(size_t J) const { return p_ + J * rows_; }

  row operator[](size_t I) { return row(p_ + I, cols_, rows_); }
  const_row operator[](size_t I) const { return const_row(p_ + I, cols_, rows_); }
  iterator begin() { return iterator(this, 0); }
  iterator end() { return iterator(this, rows_); }
  const_iterator begin() const { return const_iterator(this, 0); }
  const_iterator end() const { return const_iterator(this, rows_); }

  // Same shape and equal values (as TAR4R4's == compares).
  friend bool operator==(const TAR4R4Flat& A, const TAR4R4Flat& B);

  // The same values as rows of TAR4R4, and back.
  TAR4R4 ToAR4R4() const;
  static TAR4R4Flat FromAR4R4(const TAR4R4& A);

  // ---- kept blocks (shared by all threads) ----
  static void SetCacheLimit(size_t Bytes);  // default 256 MiB
  static size_t CacheLimit();
  static size_t CachedBytes();
  static void TrimCache();

 private:
  float* p_ = nullptr;
  size_t rows_ = 0, cols_ = 0;
};

inline void swap(TAR4R4Flat& A, TAR4R4Flat& B) noexcept { A.swap(B); }
