#include "foundation/cvR4Flat.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

namespace {

// Blocks smaller than this go straight back to the allocator, which reuses them well.
constexpr size_t kMinKept = 64 * 1024;

// Blocks of freed tables, oldest first; a block is taken by its exact element count.
struct TKept {
  std::mutex Lock;
  std::vector<std::pair<size_t, float*>> Blocks;
  size_t Bytes = 0;
  size_t Limit = size_t{256} << 20;
};

TKept& Kept() {
  static TKept* k = new TKept;  // lives to the end of the process: tables freed late still work
  return *k;
}

float* TakeBlock(size_t N) {
  if (N == 0) return nullptr;
  if (N * sizeof(float) >= kMinKept) {
    TKept& k = Kept();
    std::lock_guard<std::mutex> lock(k.Lock);
    for (size_t i = k.Blocks.size(); i-- > 0;)
      if (k.Blocks[i].first == N) {
        float* p = k.Blocks[i].second;
        k.Blocks.erase(k.Blocks.begin() + static_cast<std::ptrdiff_t>(i));
        k.Bytes -= N * sizeof(float);
        return p;
      }
  }
  return static_cast<float*>(::operator new(N * sizeof(float)));
}

void GiveBlock(float* P, size_t N) {
  if (!P) return;
  const size_t bytes = N * sizeof(float);
  std::vector<float*> drop;
  if (bytes >= kMinKept) {
    TKept& k = Kept();
    std::lock_guard<std::mutex> lock(k.Lock);
    if (bytes <= k.Limit) {
      while (k.Bytes + bytes > k.Limit && !k.Blocks.empty()) {
        drop.push_back(k.Blocks.front().second);
        k.Bytes -= k.Blocks.front().first * sizeof(float);
        k.Blocks.erase(k.Blocks.begin());
      }
      k.Blocks.emplace_back(N, P);
      k.Bytes += bytes;
      P = nullptr;
    }
  }
  for (float* d : drop) ::operator delete(d);
  if (P) ::operator delete(P);
}

}  // namespace

TAR4R4Flat::TAR4R4Flat(const TAR4R4Flat& A) {
  Shape(A.rows_, A.cols_);
  if (Count()) std::memcpy(p_, A.p_, Count() * sizeof(float));
}

TAR4R4Flat& TAR4R4Flat::operator=(const TAR4R4Flat& A) {
  if (this != &A) TAR4R4Flat(A).swap(*this);
  return *this;
}

void TAR4R4Flat::Assign(size_t Rows, size_t Cols) {
  Shape(Rows, Cols);
  if (Count()) std::memset(p_, 0, Count() * sizeof(float));
}

void TAR4R4Flat::Shape(size_t Rows, size_t Cols) {
  const size_t n = Rows * Cols;
  if (n != Count()) {
    float* p = TakeBlock(n);
    GiveBlock(p_, Count());
    p_ = p;
  }
  rows_ = Rows;
  cols_ = Cols;
}

void TAR4R4Flat::Free() {
  GiveBlock(p_, Count());
  p_ = nullptr;
  rows_ = cols_ = 0;
}

void TAR4R4Flat::swap(TAR4R4Flat& A) noexcept {
  std::swap(p_, A.p_);
  std::swap(rows_, A.rows_);
  std::swap(cols_, A.cols_);
}

bool operator==(const TAR4R4Flat& A, const TAR4R4Flat& B) {
  if (A.rows_ != B.rows_ || A.cols_ != B.cols_) return false;
  const size_t n = A.Count();
  for (size_t k = 0; k < n; ++k)
    if (!(A.p_[k] == B.p_[k])) return false;
  return true;
}

TAR4R4 TAR4R4Flat::ToAR4R4() const {
  TAR4R4 r(rows_, TAR4(cols_));
  for (size_t j = 0; j < cols_; ++j) {
    const float* l = Line(j);
    for (size_t i = 0; i < rows_; ++i) r[i][j] = l[i];
  }
  return r;
}

TAR4R4Flat TAR4R4Flat::FromAR4R4(const TAR4R4& A) {
  // Rows shorter than the first are filled up with zeros.
  TAR4R4Flat r;
  r.Assign(A.size(), A.empty() ? 0 : A[0].size());
  for (size_t i = 0; i < A.size(); ++i)
    for (size_t j = 0; j < std::min(A[i].size(), r.cols_); ++j) r[i][j] = A[i][j];
  return r;
}

void TAR4R4Flat::SetCacheLimit(size_t Bytes) {
  TKept& k = Kept();
  {
    std::lock_guard<std::mutex> lock(k.Lock);
    k.Limit = Bytes;
  }
  if (CachedBytes() > Bytes) TrimCache();
}

size_t TAR4R4Flat::CacheLimit() {
  TKept& k = Kept();
  std::lock_guard<std::mutex> lock(k.Lock);
  return k.Limit;
}

size_t TAR4R4Flat::CachedBytes() {
  TKept& k = Kept();
  std::lock_guard<std::mutex> lock(k.Lock);
  return k.Bytes;
}

void TAR4R4Flat::TrimCache() {
  std::vector<std::pair<size_t, float*>> drop;
  {
    TKept& k = Kept();
    std::lock_guard<std::mutex> lock(k.Lock);
    drop.swap(k.Blocks);
    k.Bytes = 0;
  }
  for (auto& b : drop) ::operator delete(b.second);
}
