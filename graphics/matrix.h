// Matrix routines for the drawing device: row-major matrices acting on row
// vectors (v' = v M), left-handed, with projections mapping z to [0, 1].
// The device takes these matrices as they are (platform::DeviceMatrix).
#pragma once

#include "platform/graphics_device.h"

namespace vendrel::graphics {

using Matrix = platform::DeviceMatrix;

struct Vec3 {
  double x = 0, y = 0, z = 0;
};

Matrix MatrixIdentity();
Matrix MatrixScaling(double sx, double sy, double sz);
Matrix MatrixTranslation(double x, double y, double z);
// Rotations by [angle] radians; looking along the axis towards the origin
// they turn clockwise, as left-handed rotations do.
Matrix MatrixRotationX(double angle);
Matrix MatrixRotationY(double angle);
Matrix MatrixRotationZ(double angle);
// Rotation about [axis] (need not be normalised; a zero axis gives the
// identity).
Matrix MatrixRotationAxis(Vec3 axis, double angle);
// a then b: v (a b).
Matrix MatrixMultiply(const Matrix& a, const Matrix& b);
// The camera at [eye] looking at [at], [up] giving the upward direction.
Matrix MatrixLookAtLH(Vec3 eye, Vec3 at, Vec3 up);
// Perspective projections: by vertical field of view (radians) and aspect
// ratio (width / height), or by the size of the view volume at the near
// plane. Near and far distances must differ.
Matrix MatrixPerspectiveFovLH(double fov_y, double aspect, double near_z, double far_z);
Matrix MatrixPerspectiveLH(double width, double height, double near_z, double far_z);
// Orthographic projection of a [width] by [height] volume centred on the
// view axis; a negative height turns y downwards.
Matrix MatrixOrthoLH(double width, double height, double near_z, double far_z);

// The point [p] (w = 1) transformed by [m] and divided by the resulting w.
Vec3 TransformCoord(Vec3 p, const Matrix& m);

}  // namespace vendrel::graphics
