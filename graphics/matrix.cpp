#include "graphics/matrix.h"

#include <cmath>

namespace vendrel::graphics {

namespace {

Vec3 Subtract(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Cross(Vec3 a, Vec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec3 Normalize(Vec3 v) {
  double length = std::sqrt(Dot(v, v));
  if (length == 0) return v;
  return {v.x / length, v.y / length, v.z / length};
}

Matrix Zero() {
  Matrix m;
  for (auto& row : m.m) {
    for (float& value : row) value = 0;
  }
  return m;
}

}  // namespace

Matrix MatrixIdentity() { return Matrix(); }

Matrix MatrixScaling(double sx, double sy, double sz) {
  Matrix m;
  m.m[0][0] = float(sx);
  m.m[1][1] = float(sy);
  m.m[2][2] = float(sz);
  return m;
}

Matrix MatrixTranslation(double x, double y, double z) {
  Matrix m;
  m.m[3][0] = float(x);
  m.m[3][1] = float(y);
  m.m[3][2] = float(z);
  return m;
}

Matrix MatrixRotationX(double angle) {
  Matrix m;
  float c = float(std::cos(angle)), s = float(std::sin(angle));
  m.m[1][1] = c;
  m.m[1][2] = s;
  m.m[2][1] = -s;
  m.m[2][2] = c;
  return m;
}

Matrix MatrixRotationY(double angle) {
  Matrix m;
  float c = float(std::cos(angle)), s = float(std::sin(angle));
  m.m[0][0] = c;
  m.m[0][2] = -s;
  m.m[2][0] = s;
  m.m[2][2] = c;
  return m;
}

Matrix MatrixRotationZ(double angle) {
  Matrix m;
  float c = float(std::cos(angle)), s = float(std::sin(angle));
  m.m[0][0] = c;
  m.m[0][1] = s;
  m.m[1][0] = -s;
  m.m[1][1] = c;
  return m;
}

Matrix MatrixRotationAxis(Vec3 axis, double angle) {
  Vec3 v = Normalize(axis);
  if (Dot(v, v) == 0) return Matrix();
  double c = std::cos(angle), s = std::sin(angle), t = 1 - c;
  Matrix m;
  m.m[0][0] = float(t * v.x * v.x + c);
  m.m[0][1] = float(t * v.x * v.y + s * v.z);
  m.m[0][2] = float(t * v.x * v.z - s * v.y);
  m.m[1][0] = float(t * v.x * v.y - s * v.z);
  m.m[1][1] = float(t * v.y * v.y + c);
  m.m[1][2] = float(t * v.y * v.z + s * v.x);
  m.m[2][0] = float(t * v.x * v.z + s * v.y);
  m.m[2][1] = float(t * v.y * v.z - s * v.x);
  m.m[2][2] = float(t * v.z * v.z + c);
  return m;
}

Matrix MatrixMultiply(const Matrix& a, const Matrix& b) {
  Matrix r = Zero();
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += double(a.m[i][k]) * double(b.m[k][j]);
      r.m[i][j] = float(sum);
    }
  }
  return r;
}

Matrix MatrixLookAtLH(Vec3 eye, Vec3 at, Vec3 up) {
  Vec3 z = Normalize(Subtract(at, eye));
  Vec3 x = Normalize(Cross(up, z));
  Vec3 y = Cross(z, x);
  Matrix m;
  m.m[0][0] = float(x.x);
  m.m[1][0] = float(x.y);
  m.m[2][0] = float(x.z);
  m.m[0][1] = float(y.x);
  m.m[1][1] = float(y.y);
  m.m[2][1] = float(y.z);
  m.m[0][2] = float(z.x);
  m.m[1][2] = float(z.y);
  m.m[2][2] = float(z.z);
  m.m[3][0] = float(-Dot(x, eye));
  m.m[3][1] = float(-Dot(y, eye));
  m.m[3][2] = float(-Dot(z, eye));
  return m;
}

Matrix MatrixPerspectiveFovLH(double fov_y, double aspect, double near_z, double far_z) {
  double y_scale = 1.0 / std::tan(fov_y / 2);
  double x_scale = y_scale / aspect;
  Matrix m = Zero();
  m.m[0][0] = float(x_scale);
  m.m[1][1] = float(y_scale);
  m.m[2][2] = float(far_z / (far_z - near_z));
  m.m[2][3] = 1;
  m.m[3][2] = float(-near_z * far_z / (far_z - near_z));
  return m;
}

Matrix MatrixPerspectiveLH(double width, double height, double near_z, double far_z) {
  Matrix m = Zero();
  m.m[0][0] = float(2 * near_z / width);
  m.m[1][1] = float(2 * near_z / height);
  m.m[2][2] = float(far_z / (far_z - near_z));
  m.m[2][3] = 1;
  m.m[3][2] = float(near_z * far_z / (near_z - far_z));
  return m;
}

Matrix MatrixOrthoLH(double width, double height, double near_z, double far_z) {
  Matrix m;
  m.m[0][0] = float(2 / width);
  m.m[1][1] = float(2 / height);
  m.m[2][2] = float(1 / (far_z - near_z));
  m.m[3][2] = float(near_z / (near_z - far_z));
  return m;
}

Vec3 TransformCoord(Vec3 p, const Matrix& m) {
  double out[4];
  for (int j = 0; j < 4; ++j) {
    out[j] = p.x * m.m[0][j] + p.y * m.m[1][j] + p.z * m.m[2][j] + m.m[3][j];
  }
  if (out[3] == 0) return {out[0], out[1], out[2]};
  return {out[0] / out[3], out[1] / out[3], out[2] / out[3]};
}

}  // namespace vendrel::graphics
