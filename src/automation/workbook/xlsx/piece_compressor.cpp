#include "automation/workbook/xlsx/piece_compressor.h"

#include "automation/workbook/xlsx/row_xml.h"

namespace z917::workbook::xlsx {

namespace {

// Pieces queued for the helper before the caller makes them itself: the
// helper always has the next one ready, and little waits in memory.
constexpr std::size_t kMostQueued = 1;
// Spare buffers kept for reuse, and the most room one may keep.
constexpr std::size_t kMostSpare = 2;
constexpr std::size_t kMostSpareBytes = std::size_t{1} << 20;

}  // namespace

// Formats the job's rows when it has any, then deflates into `made` and
// copies the bytes into the piece at their own size: a piece lives until
// the save, and the deflater's room is sized for the raw text.
static void Make(Deflater& deflater, DeflatedPiece& made, std::string& raw,
                 std::unique_ptr<Row[]>& rows, std::uint32_t firstRow, std::uint64_t* texts,
                 DeflatedPiece& piece) {
  if (rows) {
    *texts = AppendPageXml(raw, firstRow, {rows.get(), SheetCells::kPageRows});
    rows.reset();
  }
  deflater.Compress({reinterpret_cast<const std::uint8_t*>(raw.data()), raw.size()}, made);
  piece.bytes.assign(made.bytes.begin(), made.bytes.end());
  piece.crc = made.crc;
  piece.rawSize = made.rawSize;
}

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

void PieceCompressor::Submit(std::string raw, DeflatedPiece* piece) {
  Job job{std::move(raw), nullptr, 0, nullptr, piece};
  Queue(job);
}

void PieceCompressor::Submit(std::unique_ptr<Row[]>& rows, std::uint32_t firstRow,
                             std::uint64_t* texts, DeflatedPiece* piece) {
  Job job{TakeBuffer(), nullptr, firstRow, texts, piece};
  job.rows = std::move(rows);
  try {
    Queue(job);
  } catch (...) {
    if (job.rows) rows = std::move(job.rows);
    throw;
  }
}

void PieceCompressor::Queue(Job& job) {
  if (helper_.joinable()) {
    std::unique_lock lock(mutex_);
    RethrowFailure();
    // With the helper behind, this thread makes the piece itself rather
    // than wait: both cores then share the work, whichever is the slower.
    if (queue_.size() < kMostQueued) {
      queue_.push_back(std::move(job));
      lock.unlock();
      changed_.notify_all();
      return;
    }
  }
  Make(deflater_, scratch_, job.raw, job.rows, job.firstRow, job.texts, *job.piece);
  const std::lock_guard lock(mutex_);
  Spare(job.raw);
}

void PieceCompressor::Spare(std::string& buffer) {
  if (spare_.size() < kMostSpare && buffer.capacity() <= kMostSpareBytes) {
    spare_.push_back(std::move(buffer));
  }
}

void PieceCompressor::Finish() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return (queue_.empty() && !busy_) || failure_; });
  RethrowFailure();
}

void PieceCompressor::Settle() noexcept {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return queue_.empty() && !busy_; });
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
      Make(deflater, made, job.raw, job.rows, job.firstRow, job.texts, *job.piece);
    } catch (...) {
      failure = std::current_exception();
    }
    job.rows.reset();
    lock.lock();
    busy_ = false;
    if (failure && !failure_) failure_ = failure;
    Spare(job.raw);
    changed_.notify_all();
  }
}

}  // namespace z917::workbook::xlsx
