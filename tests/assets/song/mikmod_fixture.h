// The module library without sound, for the tests that load modules with it:
// its XM, MOD and S3M loaders and the silent driver, set up once per suite.
#pragma once

#include <gtest/gtest.h>
#include <mikmod.h>

class MikModWithoutSound : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static const bool registered = [] {
            MikMod_RegisterDriver(&drv_nos);
            MikMod_RegisterLoader(&load_s3m);
            MikMod_RegisterLoader(&load_mod);
            MikMod_RegisterLoader(&load_xm);
            return true;
        }();
        (void)registered;
        md_device = 0;
        md_mode = DMODE_SOFT_MUSIC | DMODE_16BITS;
        initialised = MikMod_Init("") == 0;
    }
    static void TearDownTestSuite() {
        if (initialised) MikMod_Exit();
    }
    void SetUp() override { ASSERT_TRUE(initialised) << MikMod_strerror(MikMod_errno); }
    static inline bool initialised = false;
};
