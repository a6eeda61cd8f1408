#include "automation/workbook/xlsx/piece_compressor.h"

namespace z917::workbook::xlsx {

namespace {

// Pieces queued for the helper before Submit waits: enough to keep it
// busy, few enough that raw text does not pile up in memory.
constexpr std::size_t kMostQueued = 2;
// Spare buffers kept for reuse.
constexpr std::size_t kMostSpare = 4;

// Copies the bytes into a vector of their own size: a piece lives until
// the save, and the deflater's room is sized for the raw text.
void Settle(const DeflatedPiece& made, DeflatedPiece& piece) {
  piece.bytes.assign(made.bytes.begin(), made.bytes.end());
  piece.crc = made.crc;
  piece.rawSize = made.rawSize;
}

}  // namespace

PieceCompressor::PieceCompressor() {
  if (std::thread::hardware_concurrency() > 1) helper_ = std::thread([this] { Run(); });
}

PieceCompressor::~PieceCompressor() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (helper_.joinable()) helper_.join();
}

std::string PieceCompressor::TakeBuffer() {
  const std::lock_guard lock(mutex_);
  if (spare_.empty()) return {};
  std::string buffer = std::move(spare_.back());
  spare_.pop_back();
  buffer.clear();
  return buffer;
}

void PieceCompressor::Compress(Deflater& deflater, DeflatedPiece& made, const Job& job) {
  deflater.Compress({reinterpret_cast<const std::uint8_t*>(job.raw.data()), job.raw.size()}, made);
  Settle(made, *job.piece);
}

void PieceCompressor::Submit(std::string raw, DeflatedPiece* piece) {
  if (!helper_.joinable()) {
    Job job{std::move(raw), piece};
    Compress(deflater_, scratch_, job);
    if (spare_.size() < kMostSpare) spare_.push_back(std::move(job.raw));
    return;
  }
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return queue_.size() < kMostQueued || failure_; });
  RethrowFailure();
  queue_.push_back({std::move(raw), piece});
  lock.unlock();
  changed_.notify_all();
}

void PieceCompressor::Finish() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return (queue_.empty() && !busy_) || failure_; });
  RethrowFailure();
}

void PieceCompressor::RethrowFailure() {
  if (failure_) std::rethrow_exception(failure_);
}

void PieceCompressor::Run() {
  Deflater deflater;
  DeflatedPiece made;
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (stopping_) return;
    Job job = std::move(queue_.front());
    queue_.pop_front();
    busy_ = true;
    lock.unlock();
    changed_.notify_all();
    std::exception_ptr failure;
    try {
      Compress(deflater, made, job);
    } catch (...) {
      failure = std::current_exception();
    }
    lock.lock();
    busy_ = false;
    if (failure && !failure_) failure_ = failure;
    if (spare_.size() < kMostSpare) spare_.push_back(std::move(job.raw));
    changed_.notify_all();
  }
}

}  // namespace z917::workbook::xlsx
