// Tests of the buffered big-endian DataFile: byte order, reads past the end,
// opening rules, seeking, and agreement with the file across window and
// write-buffer boundaries.
#include "supkit/data_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// A folder of its own under the system's temporary folder, removed afterwards.
class DataFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("ostrel_data_file_" + std::to_string(std::random_device{}()));
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    std::string PathOf(const char* name) const { return (folder_ / name).string(); }
    std::string Make(const char* name, const Bytes& bytes) const {
        std::ofstream out(PathOf(name), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return PathOf(name);
    }
    Bytes Contents(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    fs::path folder_;
};

Bytes Pattern(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    return bytes;
}

TEST_F(DataFileTest, WordsAreBigEndianAndWritesKeepTheLowBits) {
    const std::string path = PathOf("words.sup");
    {
        DataFile file;
        OpenDataFile(&file, path.c_str(), OfWrite);
        ASSERT_TRUE(IsDataFileOpen(&file));
        WriteWord(&file, 0x1234);
        WriteWord(&file, 0x12345);
        WriteByte(&file, 0x1FF);
        const std::uint32_t stamp = 10000;
        WriteBytes(&file, &stamp, sizeof stamp);
    }  // the destructor flushes and closes
    EXPECT_EQ(Contents(path), (Bytes{0x12, 0x34, 0x23, 0x45, 0xFF, 0x10, 0x27, 0x00, 0x00}));

    DataFile file;
    OpenDataFile(&file, path.c_str(), OfRead);
    EXPECT_EQ(ReadWord(&file), 0x1234);
    EXPECT_EQ(ReadWord(&file), 0x2345);
    EXPECT_EQ(ReadByte(&file), 0xFF);
    std::uint32_t stamp = 0;
    EXPECT_EQ(ReadBytes(&file, &stamp, sizeof stamp), 4u);
    EXPECT_EQ(stamp, 10000u);
}

TEST_F(DataFileTest, ReadsPastTheEndGiveZerosAndStopAtTheEnd) {
    const std::string path = Make("short.sup", {0x53});
    DataFile file;
    OpenDataFile(&file, path.c_str(), OfRead);
    EXPECT_EQ(ReadWord(&file), 0x5300);
    EXPECT_EQ(SeekDataFile(&file, 0, 1), 1);
    EXPECT_EQ(ReadByte(&file), 0);

    std::uint8_t buffer[4] = {9, 9, 9, 9};
    SeekDataFile(&file, 0, 0);
    EXPECT_EQ(ReadBytes(&file, buffer, 4), 1u);
    EXPECT_EQ(Bytes(buffer, buffer + 4), (Bytes{0x53, 0, 0, 0}));
    EXPECT_EQ(SeekDataFile(&file, 0, 1), 1);

    // Beyond the end nothing is supplied and the position stays.
    EXPECT_EQ(SeekDataFile(&file, 100, 0), 100);
    EXPECT_EQ(ReadWord(&file), 0);
    EXPECT_EQ(SeekDataFile(&file, 0, 1), 100);
}

TEST_F(DataFileTest, NotOpenOrMissingFileTransfersNothing) {
    DataFile file;
    OpenDataFile(&file, PathOf("missing.sup").c_str(), OfRead);
    EXPECT_FALSE(IsDataFileOpen(&file));
    EXPECT_FALSE(fs::exists(PathOf("missing.sup")));
    EXPECT_EQ(ReadWord(&file), 0);
    EXPECT_EQ(ReadByte(&file), 0);
    std::uint8_t buffer[2] = {7, 7};
    EXPECT_EQ(ReadBytes(&file, buffer, 2), 0u);
    EXPECT_EQ(buffer[0], 7);
    EXPECT_EQ(SeekDataFile(&file, 5, 0), 0);
    WriteWord(&file, 0x1234);
    CloseDataFile(&file);
    CloseDataFile(&file);

    EXPECT_EQ(ReadWord(nullptr), 0);
    EXPECT_EQ(SeekDataFile(nullptr, 0, 1), 0);
    EXPECT_EQ(DataFileSize(nullptr), 0);
    WriteBytes(nullptr, buffer, 2);
    OpenDataFile(nullptr, PathOf("x.sup").c_str(), OfWrite);
    CloseDataFile(nullptr);
    EXPECT_FALSE(IsDataFileOpen(nullptr));
}

TEST_F(DataFileTest, DirectoryDoesNotOpenForReading) {
    DataFile file;
    OpenDataFile(&file, PathOf("").c_str(), OfRead);
    EXPECT_FALSE(IsDataFileOpen(&file));
}

// A FIFO without a writer would block a plain open: it must be refused at once.
TEST_F(DataFileTest, FifoIsRefusedWithoutBlocking) {
    const std::string fifo = PathOf("pipe.sup");
    ASSERT_EQ(std::system(("mkfifo '" + fifo + "'").c_str()), 0);
    ASSERT_TRUE(fs::is_fifo(fifo));
    for (std::int32_t mode : {OfRead, OfWrite, OfReadWrite}) {
        DataFile file;
        OpenDataFile(&file, fifo.c_str(), mode);
        EXPECT_FALSE(IsDataFileOpen(&file)) << "mode " << mode;
        EXPECT_EQ(ReadWord(&file), 0);
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST_F(DataFileTest, WritingCreatesAMissingFileAndTruncatesAnExistingOne) {
    const std::string created = PathOf("new.sup");
    DataFile file;
    OpenDataFile(&file, created.c_str(), OfWrite);
    ASSERT_TRUE(IsDataFileOpen(&file));
    CloseDataFile(&file);
    EXPECT_TRUE(fs::exists(created));
    EXPECT_EQ(fs::file_size(created), 0u);

    for (std::int32_t mode : {OfWrite, OfReadWrite}) {
        const std::string old = Make("old.sup", Bytes(10, 0xAA));
        OpenDataFile(&file, old.c_str(), mode);
        EXPECT_EQ(SeekDataFile(&file, 0, 1), 0);
        WriteWord(&file, 0x5350);
        CloseDataFile(&file);
        EXPECT_EQ(Contents(old), (Bytes{0x53, 0x50})) << "mode " << mode;
    }
}

TEST_F(DataFileTest, ReopeningClosesAndFlushesTheFirstFile) {
    const std::string first = PathOf("first.sup");
    const std::string second = Make("second.sup", {1, 2});
    DataFile file;
    OpenDataFile(&file, first.c_str(), OfWrite);
    WriteByte(&file, 0x42);
    OpenDataFile(&file, second.c_str(), OfRead);
    EXPECT_EQ(Contents(first), Bytes{0x42});
    EXPECT_EQ(ReadWord(&file), 0x0102);
}

TEST_F(DataFileTest, SeekReportsPositionsAndRefusesNegativeOnes) {
    const std::string path = Make("seek.sup", Pattern(50));
    DataFile file;
    OpenDataFile(&file, path.c_str(), OfRead);
    EXPECT_EQ(SeekDataFile(&file, 0, 1), 0);
    ReadWord(&file);
    EXPECT_EQ(SeekDataFile(&file, 0, 1), 2);
    EXPECT_EQ(SeekDataFile(&file, -10, 2), 40);
    EXPECT_EQ(SeekDataFile(&file, -41, 1), -1);
    EXPECT_EQ(SeekDataFile(&file, -1, 0), -1);
    EXPECT_EQ(SeekDataFile(&file, 0, 7), -1);
    EXPECT_EQ(SeekDataFile(&file, 0, 1), 40);
    EXPECT_EQ(ReadByte(&file), Pattern(50)[40]);
    EXPECT_EQ(DataFileSize(&file), 50);
}

TEST_F(DataFileTest, ReadsAgreeWithTheFileAcrossWindows) {
    const Bytes expected = Pattern(200000);
    const std::string path = Make("large.sup", expected);
    DataFile file;
    OpenDataFile(&file, path.c_str(), OfRead);
    for (std::size_t i = 0; i < expected.size(); i += 2) {
        const std::uint16_t word = ReadWord(&file);
        ASSERT_EQ(word >> 8, expected[i]) << "at " << i;
        ASSERT_EQ(word & 0xFF, expected[i + 1]) << "at " << i;
    }

    // Runs that straddle a window boundary, and one larger than a window.
    Bytes run(70000);
    SeekDataFile(&file, 65530, 0);
    EXPECT_EQ(ReadBytes(&file, run.data(), 12), 12u);
    EXPECT_TRUE(std::equal(run.begin(), run.begin() + 12, expected.begin() + 65530));
    SeekDataFile(&file, 150000, 0);
    EXPECT_EQ(ReadBytes(&file, run.data(), 70000), 50000u);
    EXPECT_TRUE(std::equal(run.begin(), run.begin() + 50000, expected.begin() + 150000));
    EXPECT_TRUE(std::all_of(run.begin() + 50000, run.end(), [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(SeekDataFile(&file, 0, 1), 200000);
}

// Random seeks, reads and writes, checked against a byte vector that models the file.
TEST_F(DataFileTest, MixedReadsWritesAndSeeksMatchAModel) {
    const std::string path = PathOf("mixed.sup");
    Bytes model;
    std::int64_t position = 0;
    std::mt19937 random(1234);
    DataFile file;
    OpenDataFile(&file, path.c_str(), OfReadWrite);
    ASSERT_TRUE(IsDataFileOpen(&file));
    for (int step = 0; step < 3000; ++step) {
        const int action = static_cast<int>(random() % 4);
        const std::uint32_t count = random() % 3 == 0 ? random() % 90000 : random() % 40;
        if (action == 0) {
            const auto target = static_cast<std::int32_t>(random() % (model.size() + 100));
            ASSERT_EQ(SeekDataFile(&file, target, 0), target);
            position = target;
        } else if (action == 1) {
            Bytes got(count, 0xEE);
            const std::uint32_t supplied = ReadBytes(&file, got.data(), count);
            Bytes want(count, 0);
            std::uint32_t available = 0;
            for (std::uint32_t i = 0; i < count && position + i < static_cast<std::int64_t>(model.size()); ++i) {
                want[i] = model[position + i];
                ++available;
            }
            ASSERT_EQ(supplied, available) << "step " << step;
            ASSERT_EQ(got, want) << "step " << step;
            position += supplied;
        } else {
            Bytes data(count);
            for (auto& b : data) b = static_cast<std::uint8_t>(random());
            WriteBytes(&file, data.data(), count);
            if (count > 0) {
                const auto end = static_cast<std::size_t>(position) + count;
                if (model.size() < end) model.resize(end, 0);
                std::copy(data.begin(), data.end(), model.begin() + position);
                position += count;
            }
        }
        ASSERT_EQ(SeekDataFile(&file, 0, 1), position) << "step " << step;
        ASSERT_EQ(DataFileSize(&file), static_cast<std::int64_t>(model.size())) << "step " << step;
    }
    CloseDataFile(&file);
    EXPECT_EQ(Contents(path), model);
}

}  // namespace
}  // namespace ostrel
