#pragma once

#include <QObject>
#include <functional>
#include <memory>

namespace tessaform::testing {

using UiTestFactory = std::function<std::unique_ptr<QObject>()>;

// Adds a QtTest class to the one executable that runs them all.
int registerUiTest(UiTestFactory factory);

}  // namespace tessaform::testing

#define TESSAFORM_UI_TEST(TestClass)                            \
    [[maybe_unused]] static const int TestClass##Registration = \
        ::tessaform::testing::registerUiTest([] { return std::make_unique<TestClass>(); })
