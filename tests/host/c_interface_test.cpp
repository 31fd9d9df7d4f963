// The C interface never lets a failure cross into the host: every allocation
// a call makes is made to fail in turn, and the call must still return with
// a documented result.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string>

#include "support/test_env.h"
#include "tessed40.h"

namespace {
// The number of allocations still allowed before one fails; -1: none fails.
std::atomic<long> g_allocationsLeft{-1};
}  // namespace

// The program's allocation functions, so that a test can make one fail. Every
// plain form is replaced, so that whatever the library allocates with (the
// standard library's temporary buffers use the nothrow form) is freed by the
// matching function here; the aligned forms keep their defaults.
void* operator new(std::size_t size) {
    long left = g_allocationsLeft.load();
    if (left == 0) {
        g_allocationsLeft = -1;
        throw std::bad_alloc();
    }
    if (left > 0) g_allocationsLeft = left - 1;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
// The compiler cannot see that these pair with the operator new above.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return ::operator new(size, std::nothrow);
}
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

// Runs `call` once with each of its allocations failing in turn, until it
// makes no more; `check` runs after every attempt. Returns how many
// allocations the call makes.
int WithEachAllocationFailing(const std::function<void()>& call,
                              const std::function<void()>& check) {
    for (int n = 0; n < 1000; ++n) {
        g_allocationsLeft = n;
        bool escaped = false;
        try {
            call();
        } catch (...) {
            escaped = true;
        }
        const bool failedOne = g_allocationsLeft.load() == -1;
        g_allocationsLeft = -1;
        EXPECT_FALSE(escaped) << "allocation " << n << " escaped into the host";
        check();
        if (!failedOne) return n;
    }
    ADD_FAILURE() << "the call never completed";
    return -1;
}

// Longer than any string's inner buffer, so that every copy allocates.
const std::string kName = "Villa sul lago, piano terra e primo piano";
const std::string kOther = "Appartamento in centro, scala B, interno 7";

}  // namespace

TEST(CInterface, FailedAllocationsNeverReachTheHost) {
    tessed::test::FixtureEnv fx(false);
    tessed_edit* e = tessed_edit_create();
    ASSERT_NE(e, nullptr);

    // A setter either takes the new value or leaves the old one.
    tessed_edit_put_ProjectName(e, kOther.c_str());
    char buf[128];
    int allocations =
        WithEachAllocationFailing([&] { tessed_edit_put_ProjectName(e, kName.c_str()); },
                                  [&] {
                                      tessed_edit_get_ProjectName(e, buf, sizeof buf);
                                      EXPECT_TRUE(buf == kName || buf == kOther) << buf;
                                      tessed_edit_put_ProjectName(e, kOther.c_str());
                                  });
    EXPECT_GT(allocations, 0);

    // A text getter either gives the whole value or an empty text of length 0.
    tessed_edit_put_ProjectFile(e, kName.c_str());
    size_t length = 0;
    allocations = WithEachAllocationFailing(
        [&] {
            std::memset(buf, 'x', sizeof buf);
            length = tessed_edit_get_ProjectFile(e, buf, sizeof buf);
        },
        [&] {
            if (length == 0)
                EXPECT_STREQ(buf, "");
            else
                EXPECT_EQ(std::tuple(length, std::string(buf)), std::tuple(kName.size(), kName));
        });
    EXPECT_GT(allocations, 0);

    // The event handler.
    static int ended;
    WithEachAllocationFailing(
        [&] {
            tessed_edit_set_AppEnd(
                e, [](void* u) { ++*static_cast<int*>(u); }, &ended);
        },
        [] {});
    tessed_edit_destroy(e);
}

TEST(CInterface, NullHandleGetsTheFailureResults) {
    char buf[8] = "x";
    EXPECT_EQ(tessed_edit_get_ProjectName(nullptr, buf, sizeof buf), 0u);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(tessed_edit_CanRun(nullptr, "ITA"), 0);
    EXPECT_EQ(tessed_edit_MAKECSV(nullptr, "a.tdj", "a.csv"), 2);
    EXPECT_EQ(tessed_edit_get_SysAddressGateway(nullptr), 0);
    tessed_edit_put_ProjectName(nullptr, "x");
    tessed_edit_Reset(nullptr);
    tessed_edit_set_AppEnd(nullptr, nullptr, nullptr);
    tessed_edit_destroy(nullptr);
}
