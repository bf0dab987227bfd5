#include "platform/math/d3dx9math.h"

#include <cmath>
#include <cstring>

// ---------------------------------------------------------------- classes

D3DXMATRIX::D3DXMATRIX(const float* f) { std::memcpy(&_11, f, sizeof(float) * 16); }

D3DXMATRIX::D3DXMATRIX(float f11, float f12, float f13, float f14,
                       float f21, float f22, float f23, float f24,
                       float f31, float f32, float f33, float f34,
                       float f41, float f42, float f43, float f44)
{
    _11 = f11; _12 = f12; _13 = f13; _14 = f14;
    _21 = f21; _22 = f22; _23 = f23; _24 = f24;
    _31 = f31; _32 = f32; _33 = f33; _34 = f34;
    _41 = f41; _42 = f42; _43 = f43; _44 = f44;
}

D3DXMATRIX& D3DXMATRIX::operator*=(const D3DXMATRIX& mat)
{
    D3DXMatrixMultiply(this, this, &mat);
    return *this;
}

D3DXMATRIX& D3DXMATRIX::operator+=(const D3DXMATRIX& mat)
{
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) m[i][j] += mat.m[i][j];
    return *this;
}

D3DXMATRIX& D3DXMATRIX::operator-=(const D3DXMATRIX& mat)
{
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) m[i][j] -= mat.m[i][j];
    return *this;
}

D3DXMATRIX& D3DXMATRIX::operator*=(float f)
{
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) m[i][j] *= f;
    return *this;
}

D3DXMATRIX& D3DXMATRIX::operator/=(float f)
{
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) m[i][j] /= f;
    return *this;
}

D3DXMATRIX D3DXMATRIX::operator-() const { return *this * -1.0f; }

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& mat) const
{
    D3DXMATRIX r;
    D3DXMatrixMultiply(&r, this, &mat);
    return r;
}

D3DXMATRIX D3DXMATRIX::operator+(const D3DXMATRIX& mat) const
{
    D3DXMATRIX r(*this);
    r += mat;
    return r;
}

D3DXMATRIX D3DXMATRIX::operator-(const D3DXMATRIX& mat) const
{
    D3DXMATRIX r(*this);
    r -= mat;
    return r;
}

D3DXMATRIX D3DXMATRIX::operator*(float f) const
{
    D3DXMATRIX r(*this);
    r *= f;
    return r;
}

D3DXMATRIX D3DXMATRIX::operator/(float f) const
{
    D3DXMATRIX r(*this);
    r /= f;
    return r;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& mat) const
{
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (m[i][j] != mat.m[i][j]) return false;
    return true;
}

D3DXQUATERNION& D3DXQUATERNION::operator*=(const D3DXQUATERNION& q)
{
    D3DXQuaternionMultiply(this, this, &q);
    return *this;
}

D3DXQUATERNION D3DXQUATERNION::operator*(const D3DXQUATERNION& q) const
{
    D3DXQUATERNION r;
    D3DXQuaternionMultiply(&r, this, &q);
    return r;
}

D3DXCOLOR::D3DXCOLOR(DWORD argb)
{
    const float f = 1.0f / 255.0f;
    a = f * static_cast<float>((argb >> 24) & 0xff);
    r = f * static_cast<float>((argb >> 16) & 0xff);
    g = f * static_cast<float>((argb >> 8) & 0xff);
    b = f * static_cast<float>(argb & 0xff);
}

namespace {
DWORD ColorByte(float v)
{
    if (!(v > 0.0f)) return 0; // also catches NaN
    if (v >= 1.0f) return 0xff;
    return static_cast<DWORD>(v * 255.0f + 0.5f);
}
} // namespace

D3DXCOLOR::operator DWORD() const
{
    return (ColorByte(a) << 24) | (ColorByte(r) << 16) | (ColorByte(g) << 8) | ColorByte(b);
}

// ---------------------------------------------------------------- 2D vectors

FLOAT D3DXVec2Length(const D3DXVECTOR2* pV) { return std::sqrt(pV->x * pV->x + pV->y * pV->y); }
FLOAT D3DXVec2LengthSq(const D3DXVECTOR2* pV) { return pV->x * pV->x + pV->y * pV->y; }
FLOAT D3DXVec2Dot(const D3DXVECTOR2* a, const D3DXVECTOR2* b) { return a->x * b->x + a->y * b->y; }
FLOAT D3DXVec2CCW(const D3DXVECTOR2* a, const D3DXVECTOR2* b) { return a->x * b->y - a->y * b->x; }

D3DXVECTOR2* D3DXVec2Add(D3DXVECTOR2* pOut, const D3DXVECTOR2* a, const D3DXVECTOR2* b)
{
    *pOut = D3DXVECTOR2(a->x + b->x, a->y + b->y);
    return pOut;
}

D3DXVECTOR2* D3DXVec2Subtract(D3DXVECTOR2* pOut, const D3DXVECTOR2* a, const D3DXVECTOR2* b)
{
    *pOut = D3DXVECTOR2(a->x - b->x, a->y - b->y);
    return pOut;
}

D3DXVECTOR2* D3DXVec2Scale(D3DXVECTOR2* pOut, const D3DXVECTOR2* v, FLOAT s)
{
    *pOut = D3DXVECTOR2(v->x * s, v->y * s);
    return pOut;
}

D3DXVECTOR2* D3DXVec2Lerp(D3DXVECTOR2* pOut, const D3DXVECTOR2* a, const D3DXVECTOR2* b, FLOAT s)
{
    *pOut = D3DXVECTOR2(a->x + s * (b->x - a->x), a->y + s * (b->y - a->y));
    return pOut;
}

D3DXVECTOR2* D3DXVec2Normalize(D3DXVECTOR2* pOut, const D3DXVECTOR2* v)
{
    const float len = D3DXVec2Length(v);
    if (len == 0.0f)
        *pOut = D3DXVECTOR2(0.0f, 0.0f);
    else
        *pOut = D3DXVECTOR2(v->x / len, v->y / len);
    return pOut;
}

// ---------------------------------------------------------------- 3D vectors

FLOAT D3DXVec3Length(const D3DXVECTOR3* v) { return std::sqrt(v->x * v->x + v->y * v->y + v->z * v->z); }
FLOAT D3DXVec3LengthSq(const D3DXVECTOR3* v) { return v->x * v->x + v->y * v->y + v->z * v->z; }
FLOAT D3DXVec3Dot(const D3DXVECTOR3* a, const D3DXVECTOR3* b) { return a->x * b->x + a->y * b->y + a->z * b->z; }

D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* pOut, const D3DXVECTOR3* a, const D3DXVECTOR3* b)
{
    *pOut = D3DXVECTOR3(a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x);
    return pOut;
}

D3DXVECTOR3* D3DXVec3Add(D3DXVECTOR3* pOut, const D3DXVECTOR3* a, const D3DXVECTOR3* b)
{
    *pOut = D3DXVECTOR3(a->x + b->x, a->y + b->y, a->z + b->z);
    return pOut;
}

D3DXVECTOR3* D3DXVec3Subtract(D3DXVECTOR3* pOut, const D3DXVECTOR3* a, const D3DXVECTOR3* b)
{
    *pOut = D3DXVECTOR3(a->x - b->x, a->y - b->y, a->z - b->z);
    return pOut;
}

D3DXVECTOR3* D3DXVec3Scale(D3DXVECTOR3* pOut, const D3DXVECTOR3* v, FLOAT s)
{
    *pOut = D3DXVECTOR3(v->x * s, v->y * s, v->z * s);
    return pOut;
}

D3DXVECTOR3* D3DXVec3Minimize(D3DXVECTOR3* pOut, const D3DXVECTOR3* a, const D3DXVECTOR3* b)
{
    *pOut = D3DXVECTOR3(a->x < b->x ? a->x : b->x, a->y < b->y ? a->y : b->y, a->z < b->z ? a->z : b->z);
    return pOut;
}

D3DXVECTOR3* D3DXVec3Maximize(D3DXVECTOR3* pOut, const D3DXVECTOR3* a, const D3DXVECTOR3* b)
{
    *pOut = D3DXVECTOR3(a->x > b->x ? a->x : b->x, a->y > b->y ? a->y : b->y, a->z > b->z ? a->z : b->z);
    return pOut;
}

D3DXVECTOR3* D3DXVec3Lerp(D3DXVECTOR3* pOut, const D3DXVECTOR3* a, const D3DXVECTOR3* b, FLOAT s)
{
    *pOut = D3DXVECTOR3(a->x + s * (b->x - a->x), a->y + s * (b->y - a->y), a->z + s * (b->z - a->z));
    return pOut;
}

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* pOut, const D3DXVECTOR3* v)
{
    const float len = D3DXVec3Length(v);
    if (len == 0.0f)
        *pOut = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    else
        *pOut = D3DXVECTOR3(v->x / len, v->y / len, v->z / len);
    return pOut;
}

D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* pOut, const D3DXVECTOR3* v, const D3DXMATRIX* m)
{
    D3DXVECTOR4 t;
    D3DXVec3Transform(&t, v, m);
    if (t.w == 0.0f)
        *pOut = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    else
        *pOut = D3DXVECTOR3(t.x / t.w, t.y / t.w, t.z / t.w);
    return pOut;
}

D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* pOut, const D3DXVECTOR3* v, const D3DXMATRIX* m)
{
    const D3DXVECTOR3 in = *v;
    *pOut = D3DXVECTOR3(in.x * m->_11 + in.y * m->_21 + in.z * m->_31,
                        in.x * m->_12 + in.y * m->_22 + in.z * m->_32,
                        in.x * m->_13 + in.y * m->_23 + in.z * m->_33);
    return pOut;
}

D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* pOut, const D3DXVECTOR3* v, const D3DXMATRIX* m)
{
    const D3DXVECTOR3 in = *v;
    *pOut = D3DXVECTOR4(in.x * m->_11 + in.y * m->_21 + in.z * m->_31 + m->_41,
                        in.x * m->_12 + in.y * m->_22 + in.z * m->_32 + m->_42,
                        in.x * m->_13 + in.y * m->_23 + in.z * m->_33 + m->_43,
                        in.x * m->_14 + in.y * m->_24 + in.z * m->_34 + m->_44);
    return pOut;
}

// ---------------------------------------------------------------- 4D vectors

FLOAT D3DXVec4Length(const D3DXVECTOR4* v) { return std::sqrt(D3DXVec4LengthSq(v)); }
FLOAT D3DXVec4LengthSq(const D3DXVECTOR4* v) { return v->x * v->x + v->y * v->y + v->z * v->z + v->w * v->w; }
FLOAT D3DXVec4Dot(const D3DXVECTOR4* a, const D3DXVECTOR4* b)
{
    return a->x * b->x + a->y * b->y + a->z * b->z + a->w * b->w;
}

D3DXVECTOR4* D3DXVec4Add(D3DXVECTOR4* pOut, const D3DXVECTOR4* a, const D3DXVECTOR4* b)
{
    *pOut = *a + *b;
    return pOut;
}

D3DXVECTOR4* D3DXVec4Subtract(D3DXVECTOR4* pOut, const D3DXVECTOR4* a, const D3DXVECTOR4* b)
{
    *pOut = *a - *b;
    return pOut;
}

D3DXVECTOR4* D3DXVec4Scale(D3DXVECTOR4* pOut, const D3DXVECTOR4* v, FLOAT s)
{
    *pOut = *v * s;
    return pOut;
}

D3DXVECTOR4* D3DXVec4Lerp(D3DXVECTOR4* pOut, const D3DXVECTOR4* a, const D3DXVECTOR4* b, FLOAT s)
{
    *pOut = D3DXVECTOR4(a->x + s * (b->x - a->x), a->y + s * (b->y - a->y), a->z + s * (b->z - a->z),
                        a->w + s * (b->w - a->w));
    return pOut;
}

D3DXVECTOR4* D3DXVec4Normalize(D3DXVECTOR4* pOut, const D3DXVECTOR4* v)
{
    const float len = D3DXVec4Length(v);
    if (len == 0.0f)
        *pOut = D3DXVECTOR4(0.0f, 0.0f, 0.0f, 0.0f);
    else
        *pOut = *v / len;
    return pOut;
}

D3DXVECTOR4* D3DXVec4Transform(D3DXVECTOR4* pOut, const D3DXVECTOR4* v, const D3DXMATRIX* m)
{
    const D3DXVECTOR4 in = *v;
    *pOut = D3DXVECTOR4(in.x * m->_11 + in.y * m->_21 + in.z * m->_31 + in.w * m->_41,
                        in.x * m->_12 + in.y * m->_22 + in.z * m->_32 + in.w * m->_42,
                        in.x * m->_13 + in.y * m->_23 + in.z * m->_33 + in.w * m->_43,
                        in.x * m->_14 + in.y * m->_24 + in.z * m->_34 + in.w * m->_44);
    return pOut;
}

// ---------------------------------------------------------------- matrices

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* pOut)
{
    *pOut = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return pOut;
}

BOOL D3DXMatrixIsIdentity(const D3DXMATRIX* pM)
{
    D3DXMATRIX id;
    D3DXMatrixIdentity(&id);
    return *pM == id ? TRUE : FALSE;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* a, const D3DXMATRIX* b)
{
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a->m[i][0] * b->m[0][j] + a->m[i][1] * b->m[1][j] + a->m[i][2] * b->m[2][j] +
                        a->m[i][3] * b->m[3][j];
    *pOut = r;
    return pOut;
}

D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* pOut, const D3DXMATRIX* pM)
{
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.m[i][j] = pM->m[j][i];
    *pOut = r;
    return pOut;
}

namespace {
// Cofactor matrix by 2x2 sub-determinants of the lower and upper row pairs.
// Returns the determinant; `inv` receives the adjugate (transposed cofactors).
float Adjugate(const D3DXMATRIX& a, D3DXMATRIX& inv)
{
    const float* m = &a._11;
    float s0 = m[0] * m[5] - m[4] * m[1];
    float s1 = m[0] * m[6] - m[4] * m[2];
    float s2 = m[0] * m[7] - m[4] * m[3];
    float s3 = m[1] * m[6] - m[5] * m[2];
    float s4 = m[1] * m[7] - m[5] * m[3];
    float s5 = m[2] * m[7] - m[6] * m[3];
    float c5 = m[10] * m[15] - m[14] * m[11];
    float c4 = m[9] * m[15] - m[13] * m[11];
    float c3 = m[9] * m[14] - m[13] * m[10];
    float c2 = m[8] * m[15] - m[12] * m[11];
    float c1 = m[8] * m[14] - m[12] * m[10];
    float c0 = m[8] * m[13] - m[12] * m[9];
    float* o = &inv._11;
    o[0] = m[5] * c5 - m[6] * c4 + m[7] * c3;
    o[1] = -m[1] * c5 + m[2] * c4 - m[3] * c3;
    o[2] = m[13] * s5 - m[14] * s4 + m[15] * s3;
    o[3] = -m[9] * s5 + m[10] * s4 - m[11] * s3;
    o[4] = -m[4] * c5 + m[6] * c2 - m[7] * c1;
    o[5] = m[0] * c5 - m[2] * c2 + m[3] * c1;
    o[6] = -m[12] * s5 + m[14] * s2 - m[15] * s1;
    o[7] = m[8] * s5 - m[10] * s2 + m[11] * s1;
    o[8] = m[4] * c4 - m[5] * c2 + m[7] * c0;
    o[9] = -m[0] * c4 + m[1] * c2 - m[3] * c0;
    o[10] = m[12] * s4 - m[13] * s2 + m[15] * s0;
    o[11] = -m[8] * s4 + m[9] * s2 - m[11] * s0;
    o[12] = -m[4] * c3 + m[5] * c1 - m[6] * c0;
    o[13] = m[0] * c3 - m[1] * c1 + m[2] * c0;
    o[14] = -m[12] * s3 + m[13] * s1 - m[14] * s0;
    o[15] = m[8] * s3 - m[9] * s1 + m[10] * s0;
    return s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
}
} // namespace

FLOAT D3DXMatrixDeterminant(const D3DXMATRIX* pM)
{
    D3DXMATRIX adj;
    return Adjugate(*pM, adj);
}

D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* pOut, FLOAT* pDeterminant, const D3DXMATRIX* pM)
{
    D3DXMATRIX adj;
    const float det = Adjugate(*pM, adj);
    if (pDeterminant) *pDeterminant = det;
    if (det == 0.0f || !std::isfinite(det)) return nullptr;
    const float inv = 1.0f / det;
    if (!std::isfinite(inv)) return nullptr;
    *pOut = adj * inv;
    return pOut;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* pOut, FLOAT x, FLOAT y, FLOAT z)
{
    D3DXMatrixIdentity(pOut);
    pOut->_41 = x;
    pOut->_42 = y;
    pOut->_43 = z;
    return pOut;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* pOut, FLOAT sx, FLOAT sy, FLOAT sz)
{
    D3DXMatrixIdentity(pOut);
    pOut->_11 = sx;
    pOut->_22 = sy;
    pOut->_33 = sz;
    return pOut;
}

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* pOut, FLOAT angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    *pOut = D3DXMATRIX(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1);
    return pOut;
}

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* pOut, FLOAT angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    *pOut = D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1);
    return pOut;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* pOut, FLOAT angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    *pOut = D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return pOut;
}

D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* pOut, const D3DXVECTOR3* pV, FLOAT angle)
{
    D3DXVECTOR3 v;
    D3DXVec3Normalize(&v, pV);
    if (v.x == 0.0f && v.y == 0.0f && v.z == 0.0f) return D3DXMatrixIdentity(pOut);
    const float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
    *pOut = D3DXMATRIX(t * v.x * v.x + c, t * v.x * v.y + s * v.z, t * v.x * v.z - s * v.y, 0,
                       t * v.x * v.y - s * v.z, t * v.y * v.y + c, t * v.y * v.z + s * v.x, 0,
                       t * v.x * v.z + s * v.y, t * v.y * v.z - s * v.x, t * v.z * v.z + c, 0,
                       0, 0, 0, 1);
    return pOut;
}

D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* pOut, const D3DXQUATERNION* pQ)
{
    const float x = pQ->x, y = pQ->y, z = pQ->z, w = pQ->w;
    *pOut = D3DXMATRIX(1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w), 0,
                       2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w), 0,
                       2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y), 0,
                       0, 0, 0, 1);
    return pOut;
}

D3DXMATRIX* D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* pOut, FLOAT yaw, FLOAT pitch, FLOAT roll)
{
    D3DXMATRIX z, x, y;
    D3DXMatrixRotationZ(&z, roll);
    D3DXMatrixRotationX(&x, pitch);
    D3DXMatrixRotationY(&y, yaw);
    *pOut = z * x * y;
    return pOut;
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pAt,
                               const D3DXVECTOR3* pUp)
{
    D3DXVECTOR3 zaxis = *pAt - *pEye, xaxis, yaxis;
    D3DXVec3Normalize(&zaxis, &zaxis);
    D3DXVec3Cross(&xaxis, pUp, &zaxis);
    D3DXVec3Normalize(&xaxis, &xaxis);
    D3DXVec3Cross(&yaxis, &zaxis, &xaxis);
    *pOut = D3DXMATRIX(xaxis.x, yaxis.x, zaxis.x, 0,
                       xaxis.y, yaxis.y, zaxis.y, 0,
                       xaxis.z, yaxis.z, zaxis.z, 0,
                       -D3DXVec3Dot(&xaxis, pEye), -D3DXVec3Dot(&yaxis, pEye), -D3DXVec3Dot(&zaxis, pEye), 1);
    return pOut;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, FLOAT fovy, FLOAT aspect, FLOAT zn, FLOAT zf)
{
    const float ys = 1.0f / std::tan(fovy * 0.5f);
    const float xs = ys / aspect;
    *pOut = D3DXMATRIX(xs, 0, 0, 0,
                       0, ys, 0, 0,
                       0, 0, zf / (zf - zn), 1,
                       0, 0, -zn * zf / (zf - zn), 0);
    return pOut;
}

D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* pOut, FLOAT w, FLOAT h, FLOAT zn, FLOAT zf)
{
    *pOut = D3DXMATRIX(2.0f / w, 0, 0, 0,
                       0, 2.0f / h, 0, 0,
                       0, 0, 1.0f / (zf - zn), 0,
                       0, 0, zn / (zn - zf), 1);
    return pOut;
}

D3DXMATRIX* D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* pOut, FLOAT l, FLOAT r, FLOAT b, FLOAT t, FLOAT zn, FLOAT zf)
{
    *pOut = D3DXMATRIX(2.0f / (r - l), 0, 0, 0,
                       0, 2.0f / (t - b), 0, 0,
                       0, 0, 1.0f / (zf - zn), 0,
                       (l + r) / (l - r), (t + b) / (b - t), zn / (zn - zf), 1);
    return pOut;
}

D3DXMATRIX* D3DXMatrixReflect(D3DXMATRIX* pOut, const D3DXPLANE* pPlane)
{
    D3DXPLANE p;
    D3DXPlaneNormalize(&p, pPlane);
    *pOut = D3DXMATRIX(1 - 2 * p.a * p.a, -2 * p.b * p.a, -2 * p.c * p.a, 0,
                       -2 * p.a * p.b, 1 - 2 * p.b * p.b, -2 * p.c * p.b, 0,
                       -2 * p.a * p.c, -2 * p.b * p.c, 1 - 2 * p.c * p.c, 0,
                       -2 * p.a * p.d, -2 * p.b * p.d, -2 * p.c * p.d, 1);
    return pOut;
}

D3DXMATRIX* D3DXMatrixTransformation(D3DXMATRIX* pOut, const D3DXVECTOR3* pScalingCenter,
                                     const D3DXQUATERNION* pScalingRotation, const D3DXVECTOR3* pScaling,
                                     const D3DXVECTOR3* pRotationCenter, const D3DXQUATERNION* pRotation,
                                     const D3DXVECTOR3* pTranslation)
{
    D3DXMATRIX r, t;
    D3DXMatrixIdentity(&r);
    if (pScaling) {
        D3DXMATRIX msr, msrInv, msc, mscInv, ms;
        D3DXMatrixIdentity(&msr);
        D3DXMatrixIdentity(&msrInv);
        if (pScalingRotation) {
            D3DXMatrixRotationQuaternion(&msr, pScalingRotation);
            D3DXMatrixTranspose(&msrInv, &msr); // a rotation's inverse
        }
        D3DXMatrixIdentity(&msc);
        D3DXMatrixIdentity(&mscInv);
        if (pScalingCenter) {
            D3DXMatrixTranslation(&msc, pScalingCenter->x, pScalingCenter->y, pScalingCenter->z);
            D3DXMatrixTranslation(&mscInv, -pScalingCenter->x, -pScalingCenter->y, -pScalingCenter->z);
        }
        D3DXMatrixScaling(&ms, pScaling->x, pScaling->y, pScaling->z);
        r = mscInv * msrInv * ms * msr * msc;
    }
    if (pRotation) {
        D3DXMATRIX mr;
        D3DXMatrixRotationQuaternion(&mr, pRotation);
        if (pRotationCenter) {
            D3DXMatrixTranslation(&t, -pRotationCenter->x, -pRotationCenter->y, -pRotationCenter->z);
            r *= t;
            r *= mr;
            D3DXMatrixTranslation(&t, pRotationCenter->x, pRotationCenter->y, pRotationCenter->z);
            r *= t;
        } else {
            r *= mr;
        }
    }
    if (pTranslation) {
        r._41 += pTranslation->x;
        r._42 += pTranslation->y;
        r._43 += pTranslation->z;
    }
    *pOut = r;
    return pOut;
}

D3DXMATRIX* D3DXMatrixAffineTransformation(D3DXMATRIX* pOut, FLOAT scaling, const D3DXVECTOR3* pRotationCenter,
                                           const D3DXQUATERNION* pRotation, const D3DXVECTOR3* pTranslation)
{
    const D3DXVECTOR3 s(scaling, scaling, scaling);
    return D3DXMatrixTransformation(pOut, nullptr, nullptr, &s, pRotationCenter, pRotation, pTranslation);
}

// ---------------------------------------------------------------- planes

FLOAT D3DXPlaneDot(const D3DXPLANE* p, const D3DXVECTOR4* v) { return p->a * v->x + p->b * v->y + p->c * v->z + p->d * v->w; }
FLOAT D3DXPlaneDotCoord(const D3DXPLANE* p, const D3DXVECTOR3* v) { return p->a * v->x + p->b * v->y + p->c * v->z + p->d; }
FLOAT D3DXPlaneDotNormal(const D3DXPLANE* p, const D3DXVECTOR3* v) { return p->a * v->x + p->b * v->y + p->c * v->z; }

D3DXPLANE* D3DXPlaneFromPointNormal(D3DXPLANE* pOut, const D3DXVECTOR3* pPoint, const D3DXVECTOR3* pNormal)
{
    *pOut = D3DXPLANE(pNormal->x, pNormal->y, pNormal->z, -D3DXVec3Dot(pPoint, pNormal));
    return pOut;
}

D3DXPLANE* D3DXPlaneFromPoints(D3DXPLANE* pOut, const D3DXVECTOR3* p1, const D3DXVECTOR3* p2, const D3DXVECTOR3* p3)
{
    D3DXVECTOR3 e1 = *p2 - *p1, e2 = *p3 - *p1, n;
    D3DXVec3Cross(&n, &e1, &e2);
    D3DXVec3Normalize(&n, &n);
    const D3DXVECTOR3 point = *p1;
    return D3DXPlaneFromPointNormal(pOut, &point, &n);
}

D3DXPLANE* D3DXPlaneNormalize(D3DXPLANE* pOut, const D3DXPLANE* p)
{
    const float len = std::sqrt(p->a * p->a + p->b * p->b + p->c * p->c);
    if (len == 0.0f)
        *pOut = D3DXPLANE(0.0f, 0.0f, 0.0f, 0.0f);
    else
        *pOut = D3DXPLANE(p->a / len, p->b / len, p->c / len, p->d / len);
    return pOut;
}

D3DXVECTOR3* D3DXPlaneIntersectLine(D3DXVECTOR3* pOut, const D3DXPLANE* p, const D3DXVECTOR3* v1,
                                    const D3DXVECTOR3* v2)
{
    const D3DXVECTOR3 dir = *v2 - *v1;
    const float denom = D3DXPlaneDotNormal(p, &dir);
    if (denom == 0.0f) return nullptr;
    const float t = -D3DXPlaneDotCoord(p, v1) / denom;
    *pOut = *v1 + dir * t;
    return pOut;
}

// ---------------------------------------------------------------- quaternions

D3DXQUATERNION* D3DXQuaternionIdentity(D3DXQUATERNION* pOut)
{
    *pOut = D3DXQUATERNION(0, 0, 0, 1);
    return pOut;
}

FLOAT D3DXQuaternionLength(const D3DXQUATERNION* q) { return std::sqrt(D3DXQuaternionLengthSq(q)); }
FLOAT D3DXQuaternionLengthSq(const D3DXQUATERNION* q) { return q->x * q->x + q->y * q->y + q->z * q->z + q->w * q->w; }
FLOAT D3DXQuaternionDot(const D3DXQUATERNION* a, const D3DXQUATERNION* b)
{
    return a->x * b->x + a->y * b->y + a->z * b->z + a->w * b->w;
}

D3DXQUATERNION* D3DXQuaternionConjugate(D3DXQUATERNION* pOut, const D3DXQUATERNION* q)
{
    *pOut = D3DXQUATERNION(-q->x, -q->y, -q->z, q->w);
    return pOut;
}

D3DXQUATERNION* D3DXQuaternionNormalize(D3DXQUATERNION* pOut, const D3DXQUATERNION* q)
{
    const float len = D3DXQuaternionLength(q);
    if (len == 0.0f)
        *pOut = D3DXQUATERNION(0, 0, 0, 0);
    else
        *pOut = *q / len;
    return pOut;
}

D3DXQUATERNION* D3DXQuaternionInverse(D3DXQUATERNION* pOut, const D3DXQUATERNION* q)
{
    const float lsq = D3DXQuaternionLengthSq(q);
    if (lsq == 0.0f) {
        *pOut = D3DXQUATERNION(0, 0, 0, 0);
        return pOut;
    }
    *pOut = D3DXQUATERNION(-q->x / lsq, -q->y / lsq, -q->z / lsq, q->w / lsq);
    return pOut;
}

D3DXQUATERNION* D3DXQuaternionMultiply(D3DXQUATERNION* pOut, const D3DXQUATERNION* q1, const D3DXQUATERNION* q2)
{
    const D3DXQUATERNION a = *q2, b = *q1; // out = a * b (Hamilton)
    *pOut = D3DXQUATERNION(a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
                           a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
                           a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w,
                           a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z);
    return pOut;
}

D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* pOut, const D3DXVECTOR3* pV, FLOAT angle)
{
    D3DXVECTOR3 v;
    D3DXVec3Normalize(&v, pV);
    const float s = std::sin(angle * 0.5f);
    *pOut = D3DXQUATERNION(v.x * s, v.y * s, v.z * s, std::cos(angle * 0.5f));
    return pOut;
}

D3DXQUATERNION* D3DXQuaternionRotationMatrix(D3DXQUATERNION* pOut, const D3DXMATRIX* m)
{
    const float trace = m->_11 + m->_22 + m->_33;
    D3DXQUATERNION q;
    if (trace > 0.0f) {
        const float s = std::sqrt(trace + 1.0f) * 2.0f; // 4w
        q.w = 0.25f * s;
        q.x = (m->_23 - m->_32) / s;
        q.y = (m->_31 - m->_13) / s;
        q.z = (m->_12 - m->_21) / s;
    } else if (m->_11 >= m->_22 && m->_11 >= m->_33) {
        const float s = std::sqrt(1.0f + m->_11 - m->_22 - m->_33) * 2.0f; // 4x
        q.x = 0.25f * s;
        q.y = (m->_12 + m->_21) / s;
        q.z = (m->_13 + m->_31) / s;
        q.w = (m->_23 - m->_32) / s;
    } else if (m->_22 >= m->_33) {
        const float s = std::sqrt(1.0f + m->_22 - m->_11 - m->_33) * 2.0f; // 4y
        q.y = 0.25f * s;
        q.x = (m->_12 + m->_21) / s;
        q.z = (m->_23 + m->_32) / s;
        q.w = (m->_31 - m->_13) / s;
    } else {
        const float s = std::sqrt(1.0f + m->_33 - m->_11 - m->_22) * 2.0f; // 4z
        q.z = 0.25f * s;
        q.x = (m->_13 + m->_31) / s;
        q.y = (m->_23 + m->_32) / s;
        q.w = (m->_12 - m->_21) / s;
    }
    if (!std::isfinite(q.x) || !std::isfinite(q.y) || !std::isfinite(q.z) || !std::isfinite(q.w))
        return D3DXQuaternionIdentity(pOut); // a degenerate (zero) matrix
    *pOut = q;
    return pOut;
}

D3DXQUATERNION* D3DXQuaternionRotationYawPitchRoll(D3DXQUATERNION* pOut, FLOAT yaw, FLOAT pitch, FLOAT roll)
{
    const float sy = std::sin(yaw * 0.5f), cy = std::cos(yaw * 0.5f);
    const float sp = std::sin(pitch * 0.5f), cp = std::cos(pitch * 0.5f);
    const float sr = std::sin(roll * 0.5f), cr = std::cos(roll * 0.5f);
    *pOut = D3DXQUATERNION(cy * sp * cr + sy * cp * sr,
                           sy * cp * cr - cy * sp * sr,
                           cy * cp * sr - sy * sp * cr,
                           cy * cp * cr + sy * sp * sr);
    return pOut;
}

D3DXQUATERNION* D3DXQuaternionSlerp(D3DXQUATERNION* pOut, const D3DXQUATERNION* q1, const D3DXQUATERNION* q2,
                                    FLOAT t)
{
    const D3DXQUATERNION a = *q1;
    D3DXQUATERNION b = *q2;
    float cosom = D3DXQuaternionDot(&a, &b);
    if (cosom < 0.0f) {
        cosom = -cosom;
        b = -b;
    }
    float k0 = 1.0f - t, k1 = t;
    if (cosom < 0.9999f) {
        const float omega = std::acos(cosom > 1.0f ? 1.0f : cosom);
        const float sinom = std::sin(omega);
        k0 = std::sin((1.0f - t) * omega) / sinom;
        k1 = std::sin(t * omega) / sinom;
    }
    *pOut = a * k0 + b * k1;
    return pOut;
}

// ---------------------------------------------------------------- colours

D3DXCOLOR* D3DXColorLerp(D3DXCOLOR* pOut, const D3DXCOLOR* a, const D3DXCOLOR* b, FLOAT s)
{
    *pOut = D3DXCOLOR(a->r + s * (b->r - a->r), a->g + s * (b->g - a->g), a->b + s * (b->b - a->b),
                      a->a + s * (b->a - a->a));
    return pOut;
}

D3DXCOLOR* D3DXColorModulate(D3DXCOLOR* pOut, const D3DXCOLOR* a, const D3DXCOLOR* b)
{
    *pOut = D3DXCOLOR(a->r * b->r, a->g * b->g, a->b * b->b, a->a * b->a);
    return pOut;
}

// ---------------------------------------------------------------- bounds

BOOL D3DXSphereBoundProbe(const D3DXVECTOR3* pCenter, FLOAT radius, const D3DXVECTOR3* pRayPosition,
                          const D3DXVECTOR3* pRayDirection)
{
    // |o + t d - c|^2 = r^2  ->  a t^2 + 2 b t + c = 0; the far root must lie ahead.
    const D3DXVECTOR3 diff = *pRayPosition - *pCenter;
    const float a = D3DXVec3LengthSq(pRayDirection);
    const float b = D3DXVec3Dot(pRayDirection, &diff);
    const float c = D3DXVec3LengthSq(&diff) - radius * radius;
    const float disc = b * b - a * c;
    if (!(disc > 0.0f)) return FALSE;
    return std::sqrt(disc) > b ? TRUE : FALSE;
}

HRESULT D3DXComputeBoundingSphere(const D3DXVECTOR3* pFirstPosition, DWORD numVertices, DWORD stride,
                                  D3DXVECTOR3* pCenter, FLOAT* pRadius)
{
    if (!pFirstPosition || !pCenter || !pRadius || stride < sizeof(D3DXVECTOR3)) return D3DERR_INVALIDCALL;
    const auto* bytes = reinterpret_cast<const unsigned char*>(pFirstPosition);
    auto at = [&](DWORD i) {
        D3DXVECTOR3 v;
        std::memcpy(&v, bytes + static_cast<std::size_t>(i) * stride, sizeof v);
        return v;
    };
    D3DXVECTOR3 centre(0, 0, 0);
    for (DWORD i = 0; i < numVertices; ++i) centre += at(i);
    if (numVertices > 0) centre /= static_cast<float>(numVertices);
    float r2 = 0.0f;
    for (DWORD i = 0; i < numVertices; ++i) {
        const D3DXVECTOR3 d = at(i) - centre;
        const float l = D3DXVec3LengthSq(&d);
        if (l > r2) r2 = l;
    }
    *pCenter = centre;
    *pRadius = std::sqrt(r2);
    return D3D_OK;
}

HRESULT D3DXComputeBoundingBox(const D3DXVECTOR3* pFirstPosition, DWORD numVertices, DWORD stride,
                               D3DXVECTOR3* pMin, D3DXVECTOR3* pMax)
{
    if (!pFirstPosition || !pMin || !pMax || stride < sizeof(D3DXVECTOR3)) return D3DERR_INVALIDCALL;
    const auto* bytes = reinterpret_cast<const unsigned char*>(pFirstPosition);
    if (numVertices == 0) {
        *pMin = *pMax = D3DXVECTOR3(0, 0, 0);
        return D3D_OK;
    }
    D3DXVECTOR3 lo, hi;
    std::memcpy(&lo, bytes, sizeof lo);
    hi = lo;
    for (DWORD i = 1; i < numVertices; ++i) {
        D3DXVECTOR3 v;
        std::memcpy(&v, bytes + static_cast<std::size_t>(i) * stride, sizeof v);
        D3DXVec3Minimize(&lo, &lo, &v);
        D3DXVec3Maximize(&hi, &hi, &v);
    }
    *pMin = lo;
    *pMax = hi;
    return D3D_OK;
}
