// Readers on several threads take read locks while one thread takes the write
// lock and edits the settings file on disk: every edit is read, and no reader
// ever sees an assignment disappear.
#include "acf_storage_test_project.h"

#include "suite/fileio/fio.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

size_t count_multicycles(ACF_REVISION_MANAGER& manager) {
    std::list<ACF_ASSIGNMENT*> all;
    manager.get_instance_assignment_coll(nullptr, &all);
    size_t count = 0;
    for (ACF_ASSIGNMENT* asgn : all) {
        count += asgn->get_type() == ACF_VARIABLE_TYPE_MULTICYCLE ? 1 : 0;
    }
    return count;
}

TEST(RevisionStoreStress, ReadersNeverLoseWhatTheWriterAddedOnDisk) {
    ACF_STORAGE_TEST_PROJECT project("");
    ACF_REVISION_MANAGER& manager = project.manager();
    constexpr int edits = 60;
    constexpr int readers = 4;
    std::atomic<bool> done{false};
    std::atomic<int> decreases{0};
    std::atomic<long> reads{0};

    std::vector<std::thread> threads;
    for (int r = 0; r < readers; ++r) {
        threads.emplace_back([&] {
            size_t seen = 0;
            while (!done.load()) {
                if (!manager.read_lock_and_post_no_messages()) {
                    std::this_thread::yield();
                    continue;
                }
                size_t now = count_multicycles(manager);
                manager.read_unlock();
                if (now < seen) {
                    ++decreases;
                }
                seen = now;
                ++reads;
                // The write lock is granted only while no read lock is held.
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        });
    }

    std::string content;
    for (int i = 1; i <= edits; ++i) {
        while (!manager.write_lock(false)) {
            std::this_thread::yield();
        }
        content += "set_instance_assignment -name MULTICYCLE 2 -to reg_" + std::to_string(i) + "\n";
        ASSERT_TRUE(FIO_FILE_SYSTEM::write_file_atomically(FIO_PATH(project.tsf()), content));
        manager.write_unlock(false);
        // Some reader comes in between two edits, however busy the machine is.
        long before = reads.load();
        while (reads.load() == before) {
            std::this_thread::yield();
        }
    }
    done = true;
    for (std::thread& thread : threads) {
        thread.join();
    }

    EXPECT_EQ(decreases.load(), 0);
    EXPECT_GT(reads.load(), 0);
    ASSERT_TRUE(manager.read_lock());
    EXPECT_EQ(count_multicycles(manager), static_cast<size_t>(edits));
    manager.read_unlock();
    EXPECT_EQ(project.storage().get_lock_count(), 0u);
}

} // namespace
