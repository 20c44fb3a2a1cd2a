#include "export/compound_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>

#include "tests/support/xls_reader.h"

namespace kj::cfb {
namespace {

std::uint8_t patternByte(std::uint64_t i) { return static_cast<std::uint8_t>((i * 7 + i / 251) % 251); }

// Writes `size` pattern bytes in uneven pieces as one stream.
std::string writeStream(std::uint64_t size) {
  std::stringstream out(std::ios::in | std::ios::out | std::ios::binary);
  StreamWriter writer(out);
  std::vector<std::uint8_t> piece;
  for (std::uint64_t at = 0; at < size;) {
    const std::uint64_t n = std::min<std::uint64_t>(size - at, 1 + (at % 70000));
    piece.resize(static_cast<std::size_t>(n));
    for (std::size_t i = 0; i < n; ++i) piece[i] = patternByte(at + i);
    writer.write(piece);
    at += n;
  }
  EXPECT_EQ(writer.size(), size);
  EXPECT_TRUE(writer.finish(u"Workbook"));
  return out.str();
}

std::span<const std::uint8_t> bytesOf(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

TEST(CompoundFile, TheStreamReadsBackWholeAlongItsChain) {
  // Small streams are padded to 4096 bytes; 109 table sectors cover 13,952
  // sectors (about 7.1 MB), beyond that extension sectors hold the rest, and
  // past 109 + 127 table sectors a second extension sector follows.
  struct Case {
    std::uint64_t size;
    std::uint32_t difat_sectors;
  } const cases[] = {{0, 0},       {1, 0},       {4095, 0},      {4096, 0},
                     {4097, 0},    {65536, 0},   {7'000'000, 0}, {7'200'000, 1},
                     {15'600'000, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    const std::string file = writeStream(c.size);
    std::string error;
    const std::optional<test::CompoundFile> read = test::readCompoundFile(bytesOf(file), error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(read->stream_name, u"Workbook");
    EXPECT_EQ(read->difat_sectors, c.difat_sectors);
    const std::uint64_t expected_size = std::max<std::uint64_t>(c.size, min_stream_size);
    ASSERT_EQ(read->stream.size(), expected_size);
    bool same = true;
    for (std::uint64_t i = 0; i < expected_size && same; ++i) {
      same = read->stream[i] == (i < c.size ? patternByte(i) : 0);
    }
    EXPECT_TRUE(same);
    // No sector more than the plan needs.
    const SectorPlan plan = planSectors(c.size);
    EXPECT_EQ(file.size(), (std::size_t{plan.total()} + 1) * sector_size);
    EXPECT_EQ(read->fat_sectors, plan.fat_sectors);
  }
}

TEST(CompoundFile, ThePlanCoversItsOwnTableSectors) {
  for (const std::uint64_t size : {0ull, 65'536ull * 128 * 109 - 65'536, 512ull * 128 * 109, 100'000'000ull,
                                   512ull * 127 * 128}) {
    SCOPED_TRACE(size);
    const SectorPlan plan = planSectors(size);
    EXPECT_GE(std::uint64_t{plan.fat_sectors} * 128, plan.total());
    EXPECT_LT(std::uint64_t{plan.fat_sectors - 1} * 128, plan.total());  // not one too many
    const std::uint32_t beyond = plan.fat_sectors > 109 ? plan.fat_sectors - 109 : 0;
    EXPECT_GE(std::uint64_t{plan.difat_sectors} * 127, beyond);
    EXPECT_LT(plan.difat_sectors, beyond / 127 + 2);
  }
}

TEST(CompoundFile, PatchesReachBytesInTheFileAndInTheBuffer) {
  std::stringstream out(std::ios::in | std::ios::out | std::ios::binary);
  StreamWriter writer(out);
  // The first piece goes straight to the file, the second stays buffered.
  writer.write(std::vector<std::uint8_t>((3 << 20) - 100, 0));
  writer.write(std::vector<std::uint8_t>(100, 0));
  const std::uint8_t mark[4] = {1, 2, 3, 4};
  // Long written out, across the end of what was written out, and still buffered.
  const std::uint64_t places[] = {10, (3u << 20) - 102, (3u << 20) - 4};
  for (const std::uint64_t at : places) writer.patch(at, mark);
  ASSERT_TRUE(writer.finish(u"Workbook"));
  std::string error;
  const std::string file = out.str();
  const auto read = test::readCompoundFile(bytesOf(file), error);
  ASSERT_TRUE(read) << error;
  std::size_t marked = 0;
  for (const std::uint8_t b : read->stream) marked += b != 0;
  EXPECT_EQ(marked, 12u);
  for (const std::uint64_t at : places) {
    EXPECT_EQ(std::vector<std::uint8_t>(read->stream.begin() + static_cast<std::ptrdiff_t>(at),
                                        read->stream.begin() + static_cast<std::ptrdiff_t>(at + 4)),
              (std::vector<std::uint8_t>{1, 2, 3, 4}));
  }
}

// A stream buffer that takes `room` bytes and then refuses.
class FullBuffer : public std::streambuf {
 public:
  explicit FullBuffer(std::size_t room) : room_(room) {}

 protected:
  std::streamsize xsputn(const char*, std::streamsize n) override {
    const std::streamsize taken = std::min<std::streamsize>(n, static_cast<std::streamsize>(room_));
    room_ -= static_cast<std::size_t>(taken);
    return taken;
  }
  int_type overflow(int_type c) override { return xsputn(nullptr, 1) == 1 ? c : traits_type::eof(); }
  pos_type seekoff(off_type, std::ios::seekdir, std::ios::openmode) override { return pos_type(0); }
  pos_type seekpos(pos_type, std::ios::openmode) override { return pos_type(0); }

 private:
  std::size_t room_;
};

TEST(CompoundFile, AnOutputThatFailsFailsTheFinish) {
  for (const std::size_t room : {std::size_t{0}, std::size_t{600}, std::size_t{2 << 20}}) {
    SCOPED_TRACE(room);
    FullBuffer buffer(room);
    std::ostream out(&buffer);
    StreamWriter writer(out);
    writer.write(std::vector<std::uint8_t>(3 << 20, 7));
    EXPECT_FALSE(writer.finish(u"Workbook"));
  }
}

}  // namespace
}  // namespace kj::cfb
