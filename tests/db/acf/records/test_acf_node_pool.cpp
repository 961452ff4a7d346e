// The node pool of a collection's containers: nodes of every size apart and
// aligned, a node given back reused for the next node of its size, and
// containers over it agreeing with the same containers over the usual
// allocator through a long run of inserts and erases.
#include "records/acf_node_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <list>
#include <map>
#include <random>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

TEST(AcfNodePool, NodesAreApartAlignedAndReusedBySize) {
    ACF_NODE_POOL pool;
    std::vector<std::pair<char*, size_t>> nodes;
    for (int round = 0; round < 3000; ++round) {
        size_t const size = 1 + static_cast<size_t>(round) % ACF_NODE_POOL::LARGEST_NODE;
        char* node = static_cast<char*>(pool.take(size));
        EXPECT_EQ(reinterpret_cast<uintptr_t>(node) % alignof(void*), 0u);
        std::memset(node, round & 0x7F, size);
        nodes.emplace_back(node, size);
    }
    for (size_t i = 0; i < nodes.size(); ++i) {
        char const expected = static_cast<char>(i & 0x7F);
        for (size_t b = 0; b < nodes[i].second; ++b) {
            ASSERT_EQ(nodes[i].first[b], expected) << "node " << i << " was overwritten";
        }
    }
    // The last node of a size given back is the next one of that size (and of
    // any size of the same 8-byte step), not of another size.
    pool.give_back(nodes[40].first, nodes[40].second); // 41 bytes
    EXPECT_NE(pool.take(16), nodes[40].first);
    EXPECT_EQ(pool.take(47), nodes[40].first);
}

TEST(AcfNodePool, ContainersOverThePoolAgreeWithTheUsualOnes) {
    ACF_NODE_POOL pool;
    using KEY_VALUE = std::pair<std::string const, int>;
    std::multimap<std::string, int, std::less<std::string>, ACF_NODE_ALLOCATOR<KEY_VALUE>>
        pooled_map{ACF_NODE_ALLOCATOR<KEY_VALUE>(&pool)};
    std::unordered_map<int, std::string, std::hash<int>, std::equal_to<int>,
                       ACF_NODE_ALLOCATOR<std::pair<int const, std::string>>>
        pooled_hash{ACF_NODE_ALLOCATOR<std::pair<int const, std::string>>(&pool)};
    std::list<int, ACF_NODE_ALLOCATOR<int>> pooled_list{ACF_NODE_ALLOCATOR<int>(&pool)};
    std::multimap<std::string, int> map;
    std::unordered_map<int, std::string> hash;
    std::list<int> list;

    std::mt19937 random(7);
    for (int step = 0; step < 20000; ++step) {
        int const n = static_cast<int>(random() % 500);
        std::string const key = "key_with_a_long_enough_text_" + std::to_string(n % 50);
        if (random() % 3 != 0) {
            pooled_map.emplace(key, n);
            map.emplace(key, n);
            pooled_hash[n] = key;
            hash[n] = key;
            pooled_list.push_back(n);
            list.push_back(n);
        } else {
            auto found = pooled_map.find(key);
            if (found != pooled_map.end()) {
                pooled_map.erase(found);
                map.erase(map.find(key));
            }
            pooled_hash.erase(n);
            hash.erase(n);
            pooled_list.remove(n);
            list.remove(n);
        }
    }
    EXPECT_TRUE(std::equal(pooled_map.begin(), pooled_map.end(), map.begin(), map.end()));
    using ORDERED = std::map<int, std::string>;
    EXPECT_EQ(ORDERED(pooled_hash.begin(), pooled_hash.end()), ORDERED(hash.begin(), hash.end()));
    EXPECT_TRUE(std::equal(pooled_list.begin(), pooled_list.end(), list.begin(), list.end()));
}

} // namespace
