#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/ui/model.h"
#include "platform/ui/resource.h"
#include "platform/ui/toolkit.h"

using namespace trelvanix::ui;
using ::testing::HasSubstr;

namespace {

int Pressed(int, int, int, void*, int, int) {
    return 0;
}
int Closed(int, int, void*, int, int) {
    return 0;
}
void Chosen(int, int, void*, int) {}

class ResourceLoader : public ::testing::Test {
  protected:
    void SetUp() override {
        Model::instance().reset();
        registerControlCallback("Pressed", &Pressed);
        registerPanelCallback("Closed", &Closed);
        registerMenuCallback("Chosen", &Chosen);
    }
    // Loads resource 1 of the text and returns the status; stderr goes to *errors.
    int load(const std::string& text, std::string* errors, int resource = 1) {
        registerResourceText("loader_test.uir", text);
        ::testing::internal::CaptureStderr();
        const int status = LoadPanel(0, "loader_test.uir", resource);
        *errors = ::testing::internal::GetCapturedStderr();
        return status;
    }
};

TEST_F(ResourceLoader, BindsEveryCallbackAndCopiesTheMenuBar) {
    std::string errors;
    const int handle = load(
        "panel P resource=1 callback=Closed menubar=MB\n"
        "control P GO kind=button callback=Pressed\n"
        "menubar MB\nmenu MB F\nitem MB F RUN callback=Chosen\n",
        &errors);
    ASSERT_GT(handle, 0) << errors;
    Panel* panel = Model::instance().panel(handle);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->callback, &Closed);
    EXPECT_EQ(panel->controls[0].callback, &Pressed);
    const MenuBar* bar = Model::instance().menuBar(GetPanelMenuBar(handle));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->items[0].callback, &Chosen);

    // A second load is a second, independent panel.
    const int again = LoadPanel(0, "loader_test.uir", 1);
    EXPECT_NE(again, handle);
    EXPECT_EQ(DiscardPanel(again), 0);
    EXPECT_EQ(Model::instance().panel(again), nullptr);
    EXPECT_LT(DiscardPanel(again), 0);
}

TEST_F(ResourceLoader, FailuresNameTheFileAndLine) {
    std::string errors;
    EXPECT_EQ(load("panel P resource=1\n\ncontrol P GO kind=button callback=Foo\n", &errors),
              UIE_ResourceLoadFailed);
    EXPECT_THAT(errors, HasSubstr("loader_test.uir:3: unknown callback \"Foo\""));

    // A name registered for another kind of callback is not a control callback.
    EXPECT_EQ(load("panel P resource=1\ncontrol P GO kind=button callback=Chosen\n", &errors),
              UIE_ResourceLoadFailed);
    EXPECT_THAT(errors, HasSubstr("loader_test.uir:2: unknown callback \"Chosen\""));

    EXPECT_EQ(load("panel P resource=1\ncontrol P GO kind=slider\n", &errors),
              UIE_ResourceLoadFailed);
    EXPECT_THAT(errors, HasSubstr("loader_test.uir:2: unknown control kind \"slider\""));

    EXPECT_EQ(load("panel P resource=1\n", &errors, 7), UIE_BadResourceNumber);
    EXPECT_THAT(errors, HasSubstr("no panel has resource number 7"));
    EXPECT_TRUE(Model::instance().panels().empty());

    ::testing::internal::CaptureStderr();
    EXPECT_EQ(LoadPanel(0, "missing.uir", 1), UIE_ResourceLoadFailed);
    EXPECT_THAT(::testing::internal::GetCapturedStderr(), HasSubstr("missing.uir"));
}

TEST_F(ResourceLoader, FindsTheFileByItsLastPathComponent) {
    registerResourceText("loader_test.uir", "panel P resource=1\n");
    EXPECT_GT(LoadPanel(0, "some/dir/loader_test.uir", 1), 0);
}

}  // namespace
