#include "math/VectorOps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "math/Quaternion.h"

namespace tessaform {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kHalfPi = std::numbers::pi_v<float> / 2.0f;

Matrix4 identityMatrix()
{
    return {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
}

void expectMatricesEqual(const Matrix4& expected, const Matrix4& actual)
{
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(expected.m[i], actual.m[i]) << "element " << i;
    }
}

void expectNear(const Vector3& expected, const Vector3& actual, float tolerance = 1e-6f)
{
    EXPECT_NEAR(expected.x, actual.x, tolerance);
    EXPECT_NEAR(expected.y, actual.y, tolerance);
    EXPECT_NEAR(expected.z, actual.z, tolerance);
}

TEST(VectorOpsTest, NormalizeGivesUnitVectorsAndZeroForDegenerateInput)
{
    const float atThreshold = std::ldexp(1.0f, -23);  // squared: exactly 2^-46
    struct Case {
        Vector3 in;
        Vector3 expected;
    };
    const Case cases[] = {
        {{3, 0, 4}, {0.6f, 0, 0.8f}},
        {{0, -2, 0}, {0, -1, 0}},
        {{1e18f, -2e18f, 2e18f}, {1.0f / 3, -2.0f / 3, 2.0f / 3}},
        {{atThreshold, 0, 0}, {1, 0, 0}},
        {{0, 0, 0}, {0, 0, 0}},
        {{std::nextafter(atThreshold, 0.0f), 0, 0}, {0, 0, 0}},
        {{1e-8f, -1e-8f, 1e-8f}, {0, 0, 0}},
        {{kNaN, 1, 1}, {0, 0, 0}},
        {{1, kNaN, 1}, {0, 0, 0}},
        {{1, 1, kNaN}, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.in.x << ", " << c.in.y << ", " << c.in.z << ")");
        expectNear(c.expected, normalized(c.in));
    }
}

TEST(VectorOpsTest, RotationsAtZeroAreExactlyTheIdentity)
{
    expectMatricesEqual(identityMatrix(), rotationAboutX(0.0f));
    expectMatricesEqual(identityMatrix(), rotationAboutY(0.0f));
}

TEST(VectorOpsTest, RotationsTurnTheAxesTheDocumentedWay)
{
    const Matrix4 x = rotationAboutX(kHalfPi);
    expectNear({1, 0, 0}, transformedPoint({1, 0, 0}, x));
    expectNear({0, 0, 1}, transformedPoint({0, 1, 0}, x));
    expectNear({0, -1, 0}, transformedPoint({0, 0, 1}, x));

    const Matrix4 y = rotationAboutY(kHalfPi);
    expectNear({0, 0, -1}, transformedPoint({1, 0, 0}, y));
    expectNear({0, 1, 0}, transformedPoint({0, 1, 0}, y));
    expectNear({1, 0, 0}, transformedPoint({0, 0, 1}, y));
}

TEST(VectorOpsTest, RotationElementsOutsideTheTrigonometricBlockAreExact)
{
    const float angle = 2.5f;
    const Matrix4 x = rotationAboutX(angle);
    const Matrix4 y = rotationAboutY(angle);
    const Matrix4 identity = identityMatrix();
    for (int i = 0; i < 16; ++i) {
        const int row = i / 4;
        const int column = i % 4;
        if ((row == 1 || row == 2) && (column == 1 || column == 2)) {
            continue;
        }
        EXPECT_EQ(identity.m[i], x.m[i]) << "about x, element " << i;
    }
    for (int i = 0; i < 16; ++i) {
        const int row = i / 4;
        const int column = i % 4;
        if ((row == 0 || row == 2) && (column == 0 || column == 2)) {
            continue;
        }
        EXPECT_EQ(identity.m[i], y.m[i]) << "about y, element " << i;
    }
}

TEST(VectorOpsTest, MultiplyByIdentityLeavesTheOtherMatrixUnchanged)
{
    const Matrix4 a{{1.5f, -2, 3, 4, 5, 6.25f, -7, 8, 9, 10, 11, -12, 13, 14, 15, 16}};
    const Matrix4 identity = identityMatrix();
    expectMatricesEqual(a, matrixProduct(identity, a));
    expectMatricesEqual(a, matrixProduct(a, identity));
}

TEST(VectorOpsTest, ProductAppliesTheLeftMatrixFirst)
{
    const Matrix4 x = rotationAboutX(0.7f);
    const Matrix4 y = rotationAboutY(-1.3f);
    const Matrix4 xThenY = matrixProduct(x, y);

    const Vector3 v{0.3f, -1.2f, 2.0f};
    expectNear(transformedPoint(transformedPoint(v, x), y), transformedPoint(v, xThenY));
}

TEST(VectorOpsTest, ProductMatchesRowZeroWorkedByHand)
{
    const Matrix4 a{{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}};
    const Matrix4 b{{2, 0, 1, 0, -1, 3, 0, 1, 0, 1, 4, 0, 1, 0, 0, 2}};
    const Matrix4 product = matrixProduct(a, b);
    EXPECT_EQ(product.m[0], 2 - 2 + 0 + 4);
    EXPECT_EQ(product.m[1], 0 + 6 + 3 + 0);
    EXPECT_EQ(product.m[2], 1 + 0 + 12 + 0);
    EXPECT_EQ(product.m[3], 0 + 2 + 0 + 8);
}

TEST(VectorOpsTest, TransformByARotationGivesRowTwoForUnitZ)
{
    const Matrix4 x = rotationAboutX(0.4f);
    const Matrix4 y = rotationAboutY(2.2f);
    const Matrix4 rotation = matrixProduct(x, y);

    const Vector3 out = transformedPoint({0, 0, 1}, rotation);
    EXPECT_EQ(rotation.at(2, 0), out.x);
    EXPECT_EQ(rotation.at(2, 1), out.y);
    EXPECT_EQ(rotation.at(2, 2), out.z);
}

TEST(VectorOpsTest, TransformTranslatesAndDividesByW)
{
    // Scale by 2, translate by (1, 2, 3), and w' = x + 2.
    const Matrix4 m{{2, 0, 0, 1, 0, 2, 0, 0, 0, 0, 2, 0, 1, 2, 3, 2}};
    const Vector3 v{2, 1, -1};
    expectNear({5.0f / 4, 4.0f / 4, 1.0f / 4}, transformedPoint(v, m), 0.0f);
}

TEST(QuaternionTest, HamiltonProductFollowsTheUnitTable)
{
    const Quaternion one{1, 0, 0, 0};
    const Quaternion i{0, 1, 0, 0};
    const Quaternion j{0, 0, 1, 0};
    const Quaternion k{0, 0, 0, 1};
    const auto minus = [](const Quaternion& q) { return Quaternion{-q.x, -q.y, -q.z, -q.w}; };
    struct Case {
        Quaternion p;
        Quaternion q;
        Quaternion expected;
    };
    const Case cases[] = {
        {i, i, minus(one)}, {j, j, minus(one)}, {k, k, minus(one)}, {i, j, k},        {j, k, i},
        {k, i, j},          {j, i, minus(k)},   {k, j, minus(i)},   {i, k, minus(j)}, {one, k, k},
    };
    for (const Case& c : cases) {
        const Quaternion r = hamiltonProduct(c.p, c.q);
        EXPECT_EQ(c.expected.x, r.x);
        EXPECT_EQ(c.expected.y, r.y);
        EXPECT_EQ(c.expected.z, r.z);
        EXPECT_EQ(c.expected.w, r.w);
    }
}

TEST(QuaternionTest, ModulusOfAProductIsTheProductOfModuli)
{
    const Quaternion p{0.5f, -1.25f, 2.0f, 0.75f};
    const Quaternion q{-1.5f, 0.25f, 1.0f, -2.0f};
    EXPECT_FLOAT_EQ(squaredModulus(p) * squaredModulus(q), squaredModulus(hamiltonProduct(p, q)));
    const Quaternion sum = p + q;
    EXPECT_EQ(-1.0f, sum.x);
    EXPECT_EQ(-1.0f, sum.y);
    EXPECT_EQ(3.0f, sum.z);
    EXPECT_EQ(-1.25f, sum.w);
}

}  // namespace
}  // namespace tessaform
