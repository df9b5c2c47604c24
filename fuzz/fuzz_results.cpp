// results.csv through the program's reader: every record it keeps is well-formed, and the file
// the writer makes of them reads back record for record.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "records/results.h"

using fuzzsupport::Require;

namespace {

bool Same(const records::ResultRecord& a, const records::ResultRecord& b) {
  return std::strcmp(a.When, b.When) == 0 && std::strcmp(a.Discipline, b.Discipline) == 0 &&
         std::strcmp(a.Topic, b.Topic) == 0 && a.Questions == b.Questions && a.Asked == b.Asked &&
         a.Right == b.Right && a.PercentTenths == b.PercentTenths && a.Rounds == b.Rounds &&
         a.Seconds == b.Seconds && a.Resumed == b.Resumed && a.Mode == b.Mode &&
         a.CreditTenths == b.CreditTenths && std::strcmp(a.Grade, b.Grade) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<records::ResultRecord> records =
      records::ParseResults(reinterpret_cast<const char*>(data), size);
  for (const records::ResultRecord& r : records) {
    Require(std::strlen(r.When) == 16, "a date and time of 16 characters");
    Require(std::memchr(r.Discipline, 0, sizeof r.Discipline) != nullptr, "terminated text");
    Require(std::memchr(r.Topic, 0, sizeof r.Topic) != nullptr, "terminated text");
    Require(r.PercentTenths >= 0 && r.PercentTenths <= 1000, "a percent from 0 to 100");
    Require(std::memchr(r.Grade, 0, sizeof r.Grade) != nullptr, "terminated grade");
    Require((r.Mode == records::Kind::kExam) == (r.CreditTenths >= 0 && r.Grade[0] != 0),
            "an exam and only an exam has its credit and grade");
    Require(r.CreditTenths <= 1000, "a credit from 0 to 100");
    Require(r.Questions >= 0 && r.Asked >= 0 && r.Right >= 0 && r.Rounds >= 0 && r.Seconds >= 0,
            "no negative counts");
  }
  // Written oldest first, as the program appends them.
  std::string file = records::ResultsHeader();
  for (auto r = records.rbegin(); r != records.rend(); ++r) file += records::FormatResult(*r);
  std::vector<records::ResultRecord> again = records::ParseResults(file.data(), file.size());
  Require(again.size() == records.size(), "every written record reads back");
  for (std::size_t i = 0; i < again.size(); ++i)
    Require(Same(again[i], records[i]), "a written record reads back the same");
  // The header's upgrade keeps every record.
  std::string upgraded = records::WithNewHeader(reinterpret_cast<const char*>(data), size);
  Require(records::ParseResults(upgraded.data(), upgraded.size()).size() >= records.size(),
          "the new header loses no record");
  records::Chart chart = records::ChartOf(records, "D", "T");
  Require(chart.Count >= 0 && chart.Count <= records::kChartBars, "at most twenty bars");
  return 0;
}
