#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

namespace tessaform::testing {

using UiTestFactory = std::function<std::unique_ptr<QObject>()>;

// Adds a QtTest class, by its name, to the one executable that runs them:
// all of them, or the one its first argument names (ctest runs each so).
int registerUiTest(std::string name, UiTestFactory factory);

}  // namespace tessaform::testing

#define TESSAFORM_UI_TEST(TestClass)                            \
    [[maybe_unused]] static const int TestClass##Registration = \
        ::tessaform::testing::registerUiTest(#TestClass, [] { return std::make_unique<TestClass>(); })
