#include <QApplication>
#include <QTest>
#include <vector>

#include "ui/UiTestRegistry.h"

namespace tessaform::testing {
namespace {

std::vector<UiTestFactory>& registeredTests()
{
    static std::vector<UiTestFactory> tests;
    return tests;
}

}  // namespace

int registerUiTest(UiTestFactory factory)
{
    registeredTests().push_back(std::move(factory));
    return static_cast<int>(registeredTests().size());
}

}  // namespace tessaform::testing

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    int failures = 0;
    for (const auto& makeTest : tessaform::testing::registeredTests()) {
        const std::unique_ptr<QObject> test = makeTest();
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
