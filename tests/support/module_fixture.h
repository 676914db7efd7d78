// A stand-in host with the built module loaded and one camera item.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "standin/host.h"
#include "tests/support/alloc_counter.h"

class ModuleFixture : public ::testing::Test {
protected:
    void SetUp() override {
        host = std::make_unique<standin::Host>();
        module = std::make_unique<standin::Module>(LENTARA_MODULE_PATH);
        ASSERT_TRUE(module->ok()) << module->error();
        camera = host->scene().addCamera("Camera");
    }
    void TearDown() override {
        module.reset();
        host.reset();
    }
    std::unique_ptr<standin::CameraInstance> Make(const std::string &server) {
        auto c = std::make_unique<standin::CameraInstance>(*host, *module, server, camera);
        EXPECT_TRUE(c->ok()) << c->error();
        return c;
    }

    std::unique_ptr<standin::Host> host;
    std::unique_ptr<standin::Module> module;
    LWItemID camera = nullptr;
};
