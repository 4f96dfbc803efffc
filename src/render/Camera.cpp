#include "render/Camera.h"

#include <cmath>

#include "math/VectorOps.h"
#include "params/FractalParams.h"

namespace tessaform {
namespace {

constexpr float kFieldOfView = 0.69813174f;  // 40 degrees

Vector3 row(const Matrix4& m, int index)
{
    return {m.at(index, 0), m.at(index, 1), m.at(index, 2)};
}

}  // namespace

Camera setupCamera(const FractalParams& params, int width, int height)
{
    Camera camera;
    camera.viewRotation = matrixProduct(rotationAboutX(params.theta), rotationAboutY(params.phi));

    const Vector3 right = row(camera.viewRotation, 0);
    const Vector3 up = row(camera.viewRotation, 1);
    const Vector3 forward = row(camera.viewRotation, 2);
    camera.eye = (-params.distance) * forward - params.lateralShift * right + params.verticalShift * up;

    const float halfFov = kFieldOfView * 0.5f;
    camera.tanHalfFov = static_cast<float>(std::tan(static_cast<double>(halfFov)));
    const auto w = static_cast<float>(width);
    const auto h = static_cast<float>(height);
    camera.verticalScale = (h * camera.tanHalfFov) / w;
    camera.halfWidth = w * 0.5f;
    camera.halfHeight = h * 0.5f;
    camera.inverseHalfWidth = 1.0f / camera.halfWidth;
    camera.inverseHalfHeight = 1.0f / camera.halfHeight;
    return camera;
}

Vector3 primaryRayDirection(const Camera& camera, float x, float y)
{
    const float sx = -((x - camera.halfWidth) * camera.tanHalfFov * camera.inverseHalfWidth);
    const float sy = -((y - camera.halfHeight) * camera.verticalScale * camera.inverseHalfHeight);
    return normalized(transformedPoint({sx, sy, 1.0f}, camera.viewRotation));
}

}  // namespace tessaform
