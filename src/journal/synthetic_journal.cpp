#include "journal/synthetic_journal.h"

#include <array>
#include <string>
#include <vector>

#include "journal/cp1251.h"
#include "journal/journal_encoder.h"

namespace z917::journal {

namespace {

struct Goods {
  const char* name;  // UTF-8 here, Windows-1251 in the journal
  std::uint32_t price;
  bool byWeight;
};

constexpr std::array<Goods, 14> kGoods = {{
    {"Хліб білий", 2150, false},
    {"Молоко 2,5%", 3899, false},
    {"Сир твердий", 28990, true},
    {"Ковбаса «Лікарська»", 21450, true},
    {"Яблука", 3490, true},
    {"Цукор", 3250, true},
    {"Олія соняшникова", 6790, false},
    {"Кава мелена", 18900, false},
    {"Чай чорний", 7450, false},
    {"Масло вершкове 82%", 8990, false},
    {"Гречка", 5290, true},
    {"Вода мінеральна", 1890, false},
    {"Пакет", 250, false},
    {"Доставка", 5000, false},
}};
constexpr std::array<const char*, 4> kCashiers = {"Іваненко О.", "Петренко М.", "Коваль Т.",
                                                  "Шевчук Ю."};

// splitmix64: tiny, and the same on every platform and library.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>(Next() % n); }
  bool Chance(std::uint32_t percent) { return Below(100) < percent; }

 private:
  std::uint64_t state_;
};

class Generator {
 public:
  Generator(const SyntheticJournalOptions& options,
            const std::function<void(std::string_view)>& sink)
      : left_(options.packets), sink_(sink), random_(options.seed) {
    for (const Goods& g : kGoods) goodsNames_.push_back(Utf8ToCp1251(g.name));
    for (const char* c : kCashiers) cashierNames_.push_back(Utf8ToCp1251(c));
  }

  void Run() {
    while (left_ > 0) Shift();
  }

 private:
  void Emit(PacketType type, std::string_view body) {
    if (left_ == 0) return;
    --left_;
    stamp_.PacketNum++;
    stamp_.DateTime = time_;
    sink_(EncodePacket(type, stamp_, body));
    time_ += 5 + random_.Below(20);
  }

  void Shift() {
    stamp_.SmenaNum++;
    stamp_.CasherNum = static_cast<std::uint8_t>(1 + random_.Below(kCashiers.size()));
    cashier_ = cashierNames_[stamp_.CasherNum - 1];
    time_ = day_ * 86400u + 8 * 3600u + random_.Below(1800);
    shiftSales_ = {};
    drawer_ = 50000 + random_.Below(10) * 10000;
    cashIn_ = drawer_;
    Emit(PacketType::CashIn, EncodeCashMovementBody(drawer_, drawer_, cashier_));

    const std::uint32_t checks = 20 + random_.Below(60);
    for (std::uint32_t i = 0; i < checks && left_ > 2; ++i) {
      if (random_.Chance(3)) GoodsMovement();
      Check();
      time_ += 60 + random_.Below(600);
    }
    const std::uint32_t takeOut = drawer_ - drawer_ % 10000;
    drawer_ -= takeOut;
    Emit(PacketType::CashOut, EncodeCashMovementBody(takeOut, drawer_, cashier_));
    ZReport(takeOut);
    ++day_;
  }

  SalesLine MakeLine(bool refund) {
    const std::uint32_t g = random_.Below(kGoods.size());
    SalesLine line;
    line.Code = 1000 + g * 37;
    line.Batch = random_.Below(4);
    line.Avail = kGoods[g].byWeight ? 100 + random_.Below(2900) : 1000 * (1 + random_.Below(3));
    line.Price = kGoods[g].price;
    line.Total = static_cast<std::uint32_t>((std::uint64_t{line.Avail} * line.Price + 500) / 1000);
    const std::uint8_t tax = g == 13 ? 1 : (random_.Chance(10) ? 2 : 0);
    const std::uint8_t kind = g == 13 ? 1 : (refund ? 2 : 0);
    line.ItemFlags = static_cast<std::uint8_t>(tax | (kGoods[g].byWeight ? 8 : 0) | (kind << 6));
    line.GoodName = goodsNames_[g];
    if (refund) line.RefundName = Utf8ToCp1251("Повернення");
    return line;
  }

  void Check() {
    stamp_.CheckNum++;
    const bool refund = random_.Chance(4);
    std::string body;
    std::uint64_t total = 0;
    std::vector<SalesLine> annulled;
    const std::uint32_t lines = 1 + random_.Below(5);
    for (std::uint32_t i = 0; i < lines; ++i) {
      if (random_.Chance(10))
        AppendSkippedRecord(body, 1 + random_.Below(5), 2 + random_.Below(12));
      const SalesLine line = MakeLine(refund);
      AppendSalesLine(body, line);
      if (random_.Chance(3)) {
        annulled.push_back(line);
      } else {
        total += line.Total;
      }
    }
    Emit(refund ? PacketType::Refund : PacketType::Sale, body);
    for (const SalesLine& line : annulled) Annul(refund, line);

    // Cash, card, or both.
    std::uint32_t sums[7] = {};
    std::uint8_t mask = 0;
    const auto t = static_cast<std::uint32_t>(total);
    switch (random_.Below(3)) {
      case 0:
        sums[0] = t;
        mask = 0x01;
        break;
      case 1:
        sums[1] = t;
        mask = 0x02;
        break;
      default:
        sums[0] = t / 2;
        sums[1] = t - t / 2;
        mask = 0x03;
        break;
    }
    if (refund) {
      shiftSales_.refund += t;
      shiftSales_.refunds++;
      drawer_ = drawer_ > sums[0] ? drawer_ - sums[0] : 0;
    } else {
      shiftSales_.sale += t;
      shiftSales_.sales++;
      drawer_ += sums[0];
    }
    for (int k = 0; k < 2; ++k) (refund ? shiftSales_.refundBy : shiftSales_.saleBy)[k] += sums[k];
    Emit(refund ? PacketType::CheckSumRefund : PacketType::CheckSumSale,
         EncodeCheckSumBody(mask, sums));
  }

  void Annul(bool refund, SalesLine line) {
    line.AnnulFlag = 1;
    std::string body;
    AppendSalesLine(body, line);
    Emit(refund ? PacketType::AnnulRefund : PacketType::AnnulSale, body);
  }

  void GoodsMovement() {
    std::vector<GoodsLine> lines(1 + random_.Below(8));
    for (GoodsLine& line : lines) {
      const std::uint32_t g = random_.Below(kGoods.size());
      line.Code = 1000 + g * 37;
      line.Batch = random_.Below(4);
      line.Avail = 1000 * (1 + random_.Below(50));
      line.Price = random_.Chance(50) ? 0xFFFFFFFFu : kGoods[g].price;
    }
    const bool isReturn = random_.Chance(30);
    Emit(isReturn ? PacketType::Return : PacketType::Receipt,
         EncodeGoodsMovementBody(40000000 + random_.Below(100), lines, cashier_));
  }

  void ZReport(std::uint32_t cashOut) {
    ZReportFields z;
    z.CheckSaleCnt = static_cast<std::uint16_t>(shiftSales_.sales);
    z.CheckRefundCnt = static_cast<std::uint16_t>(shiftSales_.refunds);
    z.SaleParts[0] = static_cast<std::uint32_t>(shiftSales_.sale);
    z.RefundParts[0] = static_cast<std::uint32_t>(shiftSales_.refund);
    for (int k = 0; k < 2; ++k) {
      z.Sale[k] = shiftSales_.saleBy[k];
      z.Refund[k] = shiftSales_.refundBy[k];
    }
    z.CashIn = cashIn_;
    z.CashOut = cashOut;
    z.CashierName = cashier_;
    Emit(PacketType::ZReport, EncodeZReportBody(z));
  }

  struct ShiftSales {
    std::uint64_t sale = 0, refund = 0;
    std::uint32_t sales = 0, refunds = 0;
    std::uint32_t saleBy[2] = {}, refundBy[2] = {};
  };

  std::uint64_t left_;
  const std::function<void(std::string_view)>& sink_;
  Random random_;
  std::vector<std::string> goodsNames_;
  std::vector<std::string> cashierNames_;
  std::string cashier_;
  PacketStamp stamp_;
  std::uint32_t day_ = 4629;  // 2013-09-04
  std::uint32_t time_ = 0;
  std::uint32_t drawer_ = 0;
  std::uint32_t cashIn_ = 0;
  ShiftSales shiftSales_;
};

}  // namespace

void GenerateSyntheticJournal(const SyntheticJournalOptions& options,
                              const std::function<void(std::string_view packet)>& sink) {
  Generator(options, sink).Run();
}

}  // namespace z917::journal
