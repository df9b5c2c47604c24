// Peak memory of importing a 20 MB Word document (2,000 questions, 200 pictures), in a child
// process: within 300 MB.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>

#include "bridge/host.h"
#include "bridge/import.h"
#include "peak_memory.h"
#include "support/large_docx.h"
#include "support/scratch.h"

#if !defined(_WIN32)

namespace {

TEST(WordMemory, A20MegabyteDocumentImportsWithin300Megabytes) {
  testsupport::ScratchDir scratch;
  {
    // Made and written before the child starts, so that it does not count there.
    std::string document = testsupport::MakeLargeDocx(2000, 200, 105 * 1024);
    ASSERT_GE(document.size(), std::size_t{20} << 20);
    ASSERT_TRUE(bridge::WriteNewFile("large.docx", document));
  }
  std::filesystem::create_directory("school");
  testsupport::ChildPeak run = testsupport::RunMeasured([] {
    std::FILE* out = std::fopen("summary.txt", "w");
    std::FILE* err = std::fopen("notes.txt", "w");
    const char* argv[] = {"exameo-import", "large.docx", "school"};
    int code = bridge::RunImport(3, argv, out, err);
    std::fclose(out);
    std::fclose(err);
    return code;
  });
  // Written whole, its pictures in the topic's folder.
  EXPECT_EQ(run.exitCode, bridge::kImportClean);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("school/Base/d1/1"),
                          std::filesystem::directory_iterator()),
            200);
  ASSERT_GT(run.peakKiB, 0);
  EXPECT_LT(run.peakKiB, 300L * 1024) << "peak " << run.peakKiB / 1024 << " MiB";
  std::printf("peak memory importing a 20 MiB Word document: %ld MiB\n", run.peakKiB / 1024);
}

}  // namespace

#endif
