#include "env/result.h"

#include <gtest/gtest.h>

#include "support/test_env.h"

using namespace tessed;

TEST(Result, MessageIsTheNumberedTextInTheCurrentLanguageWithItsDetail) {
    test::FixtureEnv fx;
    EXPECT_EQ(Result::Ok().message(), "");
    EXPECT_EQ(Result::Fail(1002).message(), "Attenzione");
    EXPECT_EQ(Result::Fail(1002, "/tmp/x.tdj").message(), "Attenzione\r/tmp/x.tdj");
    EXPECT_FALSE(Result::Fail(424242).ok());
    EXPECT_EQ(Result::Fail(424242).message(), "?????");
}
