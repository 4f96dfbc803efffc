#include <QApplication>
#include <QTest>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "ui/UiTestRegistry.h"

namespace tessaform::testing {
namespace {

struct RegisteredTest {
    std::string name;
    UiTestFactory make;
};

std::vector<RegisteredTest>& registeredTests()
{
    static std::vector<RegisteredTest> tests;
    return tests;
}

bool namesAClass(int argc, char** argv)
{
    return argc > 1 && argv[1][0] != '-';
}

int runTest(const RegisteredTest& test, int argc, char** argv)
{
    const std::unique_ptr<QObject> object = test.make();
    return QTest::qExec(object.get(), argc, argv);
}

// The class the first argument names, with that argument taken out of
// what QtTest sees; a name that matches nothing fails, so a renamed class
// cannot leave its tests silently unrun.
int runNamedTest(int argc, char** argv)
{
    const std::string name = argv[1];
    argv[1] = argv[0];
    for (const RegisteredTest& test : registeredTests()) {
        if (test.name == name) {
            return runTest(test, argc - 1, argv + 1) == 0 ? 0 : 1;
        }
    }
    std::fprintf(stderr, "No widget test class named %s\n", name.c_str());
    return 2;
}

int runAllTests(int argc, char** argv)
{
    int failures = 0;
    for (const RegisteredTest& test : registeredTests()) {
        failures += runTest(test, argc, argv);
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace

int registerUiTest(std::string name, UiTestFactory factory)
{
    registeredTests().push_back({std::move(name), std::move(factory)});
    return static_cast<int>(registeredTests().size());
}

}  // namespace tessaform::testing

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    return tessaform::testing::namesAClass(argc, argv) ? tessaform::testing::runNamedTest(argc, argv)
                                                       : tessaform::testing::runAllTests(argc, argv);
}
