// Makes the deflated pieces of a workbook's parts on the second core while
// the first goes on with the conversion; when the helper falls behind, and
// where the machine has one core, the calling thread makes them itself.
// Each piece is compressed on its own, so the bytes are the same whichever
// thread made them.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "automation/workbook/sheet_cells.h"
#include "automation/workbook/xlsx/deflate.h"

namespace z917::workbook::xlsx {

class PieceCompressor {
 public:
  // Starts the helper thread where there is a second core; throws
  // std::system_error when it cannot, std::bad_alloc.
  PieceCompressor();
  // Stops the helper thread; pieces still waiting are left unmade.
  ~PieceCompressor();
  PieceCompressor(const PieceCompressor&) = delete;
  PieceCompressor& operator=(const PieceCompressor&) = delete;

  // An empty buffer to format a piece's text into, with the room of one
  // used before.
  std::string TakeBuffer();
  // Deflates `raw` into `*piece`, whose bytes then take no more room than
  // they need; `piece` must stay put until Finish. Makes it at once when
  // a piece is queued already, so that work never piles up in memory.
  // Rethrows a failure of an earlier piece.
  void Submit(std::string raw, DeflatedPiece* piece);
  // The same for a page of rows (SheetCells::kPageRows of them, the first
  // being row `firstRow`), formatted as sheet XML where it is deflated and
  // then freed; `*texts` gets how many of its cells hold a text. Takes the
  // rows from `rows` unless it throws.
  void Submit(std::unique_ptr<Row[]>& rows, std::uint32_t firstRow, std::uint64_t* texts,
              DeflatedPiece* piece);
  // Waits until every piece submitted is made; rethrows the first failure.
  void Finish();
  // Waits as Finish does, but never throws: for a caller about to free
  // pieces it submitted, when a failure is on its way out already.
  void Settle() noexcept;

 private:
  struct Job {
    std::string raw;
    std::unique_ptr<Row[]> rows;  // formatted into `raw` first when set
    std::uint32_t firstRow = 0;
    std::uint64_t* texts = nullptr;
    DeflatedPiece* piece = nullptr;
  };
  void Queue(Job& job);
  // Keeps `buffer` for reuse when there is room; the mutex is held.
  void Spare(std::string& buffer);
  void Run();
  void RethrowFailure();

  Deflater deflater_;  // the calling thread's, without a helper
  DeflatedPiece scratch_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Job> queue_;
  std::vector<std::string> spare_;
  std::exception_ptr failure_;
  bool busy_ = false;
  bool stopping_ = false;
  std::thread helper_;  // last, so that it starts once the rest is ready
};

}  // namespace z917::workbook::xlsx
