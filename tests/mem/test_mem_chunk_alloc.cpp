#include "mem/mem_chunk_alloc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

intptr_t address(void* p) {
    return reinterpret_cast<intptr_t>(p);
}

// Chunking is on unless the setting turns it off; the setting is read when an
// allocator is made.
class ChunkAlloc : public ::testing::Test {
protected:
    void TearDown() override { unsetenv("mem_utils_no_chunk_allocation"); }
};

TEST_F(ChunkAlloc, CarvesAlignedPiecesFromOneChunk) {
    MEM_UTILS_CHUNK_ALLOC chunks;
    ASSERT_TRUE(chunks.chunk_allocation_is_enabled());
    void* a = chunks.chunk_malloc(10, 8);
    void* b = chunks.chunk_malloc(10, 8);
    EXPECT_EQ(address(b) - address(a), 16);
    void* c = chunks.chunk_malloc(1, 1);
    EXPECT_EQ(address(c) - address(b), 10);
    void* d = chunks.chunk_malloc(4, 64);
    EXPECT_EQ(address(d) % 64, 0);
    EXPECT_LT(address(d) - address(c), 65);
    chunks.chunk_free_memory();
}

TEST_F(ChunkAlloc, PiecesThatDoNotFitGetABlockOrANewChunk) {
    MEM_UTILS_CHUNK_ALLOC chunks;
    char* first = static_cast<char*>(chunks.chunk_malloc(100, 1));

    // Larger than a chunk: a block of its own; the chunk goes on where it was.
    void* big = chunks.chunk_malloc(40000, 16);
    EXPECT_EQ(address(big) % 16, 0);
    std::memset(big, 1, 40000);
    EXPECT_EQ(chunks.chunk_malloc(1, 1), first + 100);

    // 150 bytes left: a 200-byte piece gets a block of its own, the chunk stays.
    unsigned const left = MEM_UTILS_CHUNK_ALLOC::CHUNK_SIZE - 101 - 150;
    char* filler = static_cast<char*>(chunks.chunk_malloc(left, 1));
    EXPECT_EQ(filler, first + 101);
    void* own = chunks.chunk_malloc(200, 1);
    EXPECT_TRUE(own < first || own >= first + MEM_UTILS_CHUNK_ALLOC::CHUNK_SIZE);
    char* next = static_cast<char*>(chunks.chunk_malloc(100, 1));
    EXPECT_EQ(next, filler + left);

    // 50 bytes left: the next piece that does not fit starts a new chunk.
    char* fresh = static_cast<char*>(chunks.chunk_malloc(200, 1));
    EXPECT_TRUE(fresh < first || fresh >= first + MEM_UTILS_CHUNK_ALLOC::CHUNK_SIZE);
    EXPECT_EQ(chunks.chunk_malloc(8, 1), fresh + 200);

    // A lower threshold keeps a nearly full chunk less readily.
    chunks.chunk_free_memory();
    chunks.set_fragment_threshold(10);
    char* start =
        static_cast<char*>(chunks.chunk_malloc(MEM_UTILS_CHUNK_ALLOC::CHUNK_SIZE - 20, 1));
    char* own_block = static_cast<char*>(chunks.chunk_malloc(30, 1));
    EXPECT_TRUE(own_block < start || own_block >= start + MEM_UTILS_CHUNK_ALLOC::CHUNK_SIZE);
    EXPECT_EQ(chunks.chunk_malloc(20, 1), start + MEM_UTILS_CHUNK_ALLOC::CHUNK_SIZE - 20);
    chunks.chunk_free_memory();
}

TEST_F(ChunkAlloc, RandomPiecesAreAlignedAndNeverOverlap) {
    std::mt19937 random(7);
    MEM_UTILS_CHUNK_ALLOC chunks;
    for (int round = 0; round < 3; ++round) {
        struct PIECE {
            unsigned char* at;
            size_t size;
            unsigned char fill;
        };
        std::vector<PIECE> pieces;
        for (int i = 0; i < 3000; ++i) {
            size_t size = random() % 8 == 0 ? random() % 50000 : random() % 300;
            size_t alignment = size_t{1} << (random() % 8);
            auto* at = static_cast<unsigned char*>(chunks.chunk_malloc(size, alignment));
            ASSERT_EQ(address(at) % static_cast<intptr_t>(alignment), 0);
            pieces.push_back({at, size, static_cast<unsigned char>(random())});
            std::memset(at, pieces.back().fill, size);
        }
        for (auto const& p : pieces) {
            ASSERT_TRUE(
                std::all_of(p.at, p.at + p.size, [&](unsigned char c) { return c == p.fill; }));
        }
        chunks.chunk_free_memory();
    }
}

TEST_F(ChunkAlloc, WithChunkingOffEveryPieceIsReleasedAlone) {
    setenv("mem_utils_no_chunk_allocation", "on", 1);
    MEM_UTILS_CHUNK_ALLOC chunks;
    ASSERT_FALSE(chunks.chunk_allocation_is_enabled());
    for (size_t alignment : {1, 8, 64, 4096}) {
        void* a = chunks.chunk_malloc(100, alignment);
        void* b = chunks.chunk_malloc(100, alignment);
        EXPECT_EQ(address(a) % static_cast<intptr_t>(alignment), 0) << alignment;
        EXPECT_EQ(address(b) % static_cast<intptr_t>(alignment), 0) << alignment;
        std::memset(a, 1, 100);
        std::memset(b, 2, 100);
        chunks.chunk_delete_when_chunking_disabled(a);
        chunks.chunk_delete_when_chunking_disabled(b);
    }
    chunks.chunk_delete_when_chunking_disabled(nullptr);
    chunks.chunk_free_memory();
}

TEST_F(ChunkAlloc, WithChunkingOnSingleReleasesDoNothing) {
    MEM_UTILS_CHUNK_ALLOC chunks;
    auto* a = static_cast<char*>(chunks.chunk_malloc(64, 8));
    std::memset(a, 7, 64);
    chunks.chunk_delete_when_chunking_disabled(a);
    auto* b = static_cast<char*>(chunks.chunk_malloc(64, 8));
    EXPECT_EQ(b, a + 64);
    EXPECT_EQ(a[63], 7);
    chunks.chunk_free_memory();
}

TEST_F(ChunkAlloc, WarnsAboutEveryOversizePieceBeyondTheLimit) {
    MEM_UTILS_CHUNK_ALLOC chunks;
    testing::internal::CaptureStdout();
    for (int i = 0; i < MEM_UTILS_CHUNK_ALLOC::OVERSIZE_WARNING_LIMIT + 2; ++i) {
        chunks.chunk_malloc(MEM_UTILS_CHUNK_ALLOC::CHUNK_SIZE + 1, 1);
    }
    std::string output = testing::internal::GetCapturedStdout();
    std::string warning = "WARNING: More than 500 chunk allocations have failed because they are "
                          "bigger than one chunk size in orv/mem_utils\n";
    size_t first = output.find(warning);
    ASSERT_NE(first, std::string::npos) << output;
    size_t second = output.find(warning, first + 1);
    ASSERT_NE(second, std::string::npos);
    EXPECT_EQ(output.find(warning, second + 1), std::string::npos);

    // Releasing everything starts the count again.
    chunks.chunk_free_memory();
    testing::internal::CaptureStdout();
    chunks.chunk_malloc(MEM_UTILS_CHUNK_ALLOC::CHUNK_SIZE + 1, 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    chunks.chunk_free_memory();
}

} // namespace
