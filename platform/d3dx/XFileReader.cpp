#include "platform/d3dx/XFileReader.h"

#include <zlib.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>

#include "platform/os/Paths.h"

namespace XFile {
namespace {

// One value of a data object's body: a number, or a string kept in the
// node's string list (index >= 0).
struct Value {
    double number = 0;
    int32_t string = -1;
};

// A data object: `Type [name] { values... nested objects... {references} }`.
// References are also kept as children with an empty type.
struct Node {
    std::string type;
    std::string name;
    std::vector<Value> values;
    std::vector<std::string> strings;
    std::vector<std::unique_ptr<Node>> children;
    std::vector<std::string> references;
};

struct ParseError {
    std::string text;
};

enum Kind { End, Ident, Number, String, Open, Close, Guid, OpenBracket, CloseBracket, Other };
struct Token {
    Kind kind = End;
    std::string text;
    double number = 0;
};

// The tokens of a file body, from the text or the binary encoding.
class TokenSource {
public:
    virtual ~TokenSource() = default;
    virtual Token Next() = 0;
};

class TextLexer : public TokenSource {
public:
    TextLexer(const char* p, const char* end) : m_p(p), m_end(end) {}

    Token Next() override {
        SkipBlanks();
        Token t;
        if (m_p >= m_end)
            return t;
        char c = *m_p;
        switch (c) {
        case '{': ++m_p; t.kind = Open; return t;
        case '}': ++m_p; t.kind = Close; return t;
        case '[': ++m_p; t.kind = OpenBracket; return t;
        case ']': ++m_p; t.kind = CloseBracket; return t;
        default: break;
        }
        if (c == '<') {
            const char* q = static_cast<const char*>(std::memchr(m_p, '>', static_cast<size_t>(m_end - m_p)));
            if (!q)
                throw ParseError{"unterminated <guid>"};
            m_p = q + 1;
            t.kind = Guid;
            return t;
        }
        if (c == '"') {
            const char* q = static_cast<const char*>(std::memchr(m_p + 1, '"', static_cast<size_t>(m_end - m_p - 1)));
            if (!q)
                throw ParseError{"unterminated string"};
            t.kind = String;
            t.text.assign(m_p + 1, q);
            m_p = q + 1;
            return t;
        }
        // The open-template mark "[...]".
        if (c == '.' && m_end - m_p >= 3 && m_p[1] == '.' && m_p[2] == '.') {
            m_p += 3;
            t.kind = Other;
            t.text = "...";
            return t;
        }
        if ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.') {
            const char* start = m_p;
            if (*start == '+')
                ++start;
            double v = 0;
            auto r = std::from_chars(start, m_end, v);
            if (r.ec != std::errc() || r.ptr == start)
                throw ParseError{"bad number"};
            m_p = r.ptr;
            t.kind = Number;
            t.number = v;
            return t;
        }
        if (IsIdentChar(c)) {
            const char* start = m_p;
            while (m_p < m_end && (IsIdentChar(*m_p) || *m_p == '-' || *m_p == '.'))
                ++m_p;
            t.kind = Ident;
            t.text.assign(start, m_p);
            return t;
        }
        throw ParseError{std::string("unexpected character '") + c + "'"};
    }

private:
    static bool IsIdentChar(char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
               static_cast<unsigned char>(c) >= 0x80;
    }
    void SkipBlanks() {
        while (m_p < m_end) {
            char c = *m_p;
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ';') {
                ++m_p;
            } else if (c == '#' || (c == '/' && m_p + 1 < m_end && m_p[1] == '/')) {
                while (m_p < m_end && *m_p != '\n')
                    ++m_p;
            } else {
                break;
            }
        }
    }

    const char* m_p;
    const char* m_end;
};

// The binary encoding: little-endian WORD tokens, some followed by a record
// (names, strings, integers, GUIDs, and lists of integers or of floats of
// the header's float size). A list hands out its values one token each.
class BinaryLexer : public TokenSource {
public:
    BinaryLexer(const char* p, const char* end, size_t floatBytes) : m_p(p), m_end(end), m_floatBytes(floatBytes) {}

    Token Next() override {
        Token t;
        for (;;) {
            if (m_listLeft > 0) {
                --m_listLeft;
                t.kind = Number;
                if (!m_listFloats) {
                    t.number = U32();
                } else if (m_floatBytes == 4) {
                    float f;
                    std::memcpy(&f, Take(4), 4);
                    t.number = f;
                } else {
                    double d;
                    std::memcpy(&d, Take(8), 8);
                    t.number = d;
                }
                return t;
            }
            if (m_p >= m_end)
                return t;
            const unsigned token = U16();
            switch (token) {
            case 1: // name
                t.kind = Ident;
                t.text = Bytes(U32());
                return t;
            case 2: { // string, ended by a comma or semicolon token
                t.kind = String;
                t.text = Bytes(U32());
                // Some writers give the terminator a whole DWORD.
                if (m_end - m_p >= 4 && (U16At(m_p) == kComma || U16At(m_p) == kSemicolon) && U16At(m_p + 2) == 0)
                    m_p += 4;
                return t;
            }
            case 3: // integer
                t.kind = Number;
                t.number = U32();
                return t;
            case 5: // GUID
                Take(16);
                t.kind = Guid;
                return t;
            case 6:
            case 7: {
                const DWORD count = U32();
                const size_t each = token == 6 ? 4 : m_floatBytes;
                if (count > static_cast<size_t>(m_end - m_p) / each)
                    throw ParseError{"binary list longer than the file"};
                m_listLeft = count;
                m_listFloats = token == 7;
                continue;
            }
            case 10: t.kind = Open; return t;
            case 11: t.kind = Close; return t;
            case 14: t.kind = OpenBracket; return t;
            case 15: t.kind = CloseBracket; return t;
            case kComma:
            case kSemicolon:
                continue;
            case 12: case 13: case 16: case 17: case 18:
                t.kind = Other;
                return t;
            case 31:
                t.kind = Ident;
                t.text = "template";
                return t;
            default:
                if (token >= 40 && token <= 52) {
                    static const char* const kTypes[] = {"WORD", "DWORD", "FLOAT", "DOUBLE", "CHAR",
                                                         "UCHAR", "SWORD", "SDWORD", "void", "string",
                                                         "unicode", "cstring", "array"};
                    t.kind = Ident;
                    t.text = kTypes[token - 40];
                    return t;
                }
                throw ParseError{"unknown binary token " + std::to_string(token)};
            }
        }
    }

private:
    static constexpr unsigned kComma = 19, kSemicolon = 20;

    static unsigned U16At(const char* p) {
        return static_cast<unsigned char>(p[0]) | (static_cast<unsigned>(static_cast<unsigned char>(p[1])) << 8);
    }
    const char* Take(size_t n) {
        if (static_cast<size_t>(m_end - m_p) < n)
            throw ParseError{"unexpected end of binary data"};
        const char* p = m_p;
        m_p += n;
        return p;
    }
    unsigned U16() { return U16At(Take(2)); }
    DWORD U32() {
        const auto* p = reinterpret_cast<const unsigned char*>(Take(4));
        return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
               (static_cast<DWORD>(p[3]) << 24);
    }
    std::string Bytes(DWORD n) {
        const char* p = Take(n);
        return std::string(p, n);
    }

    const char* m_p;
    const char* m_end;
    size_t m_floatBytes;
    DWORD m_listLeft = 0;
    bool m_listFloats = false;
};

// Reads the body after '{' up to and including the matching '}'.
void ParseBody(TokenSource& lex, Node& node, int depth) {
    if (depth > kMaxNesting)
        throw ParseError{"nesting too deep"};
    for (;;) {
        Token t = lex.Next();
        switch (t.kind) {
        case End:
            throw ParseError{"unexpected end of file inside " + node.type};
        case Close:
            return;
        case Number: {
            Value v;
            v.number = t.number;
            node.values.push_back(v);
            break;
        }
        case String: {
            Value v;
            v.string = static_cast<int32_t>(node.strings.size());
            node.strings.push_back(std::move(t.text));
            node.values.push_back(v);
            break;
        }
        case Guid:
            break;
        case Open: {
            // A reference: { Name } or { Name <guid> } or { <guid> }.
            std::string name;
            for (;;) {
                Token r = lex.Next();
                if (r.kind == Close)
                    break;
                if (r.kind == Ident && name.empty())
                    name = r.text;
                else if (r.kind != Guid)
                    throw ParseError{"bad reference"};
            }
            // Kept among the children too, so lists that mix references
            // and objects keep the file's order.
            auto ref = std::make_unique<Node>();
            ref->name = name;
            node.children.push_back(std::move(ref));
            node.references.push_back(std::move(name));
            break;
        }
        case Ident: {
            auto child = std::make_unique<Node>();
            child->type = t.text;
            Token n = lex.Next();
            if (n.kind == Ident) {
                child->name = n.text;
                n = lex.Next();
            }
            if (n.kind != Open)
                throw ParseError{"expected '{' after " + child->type};
            ParseBody(lex, *child, depth + 1);
            node.children.push_back(std::move(child));
            break;
        }
        case OpenBracket:
        case CloseBracket:
        case Other:
            throw ParseError{"unexpected token inside " + node.type};
        }
    }
}

// A template: `template Name { <guid> members; [restriction] }`. Members and
// restrictions are not needed to read the data objects, so they are only
// checked for balanced brackets.
void SkipTemplate(TokenSource& lex) {
    Token name = lex.Next();
    if (name.kind != Ident)
        throw ParseError{"template without a name"};
    if (lex.Next().kind != Open)
        throw ParseError{"expected '{' after template " + name.text};
    bool inBrackets = false;
    for (;;) {
        Token t = lex.Next();
        switch (t.kind) {
        case End:
            throw ParseError{"unexpected end of file in template " + name.text};
        case Open:
            throw ParseError{"unexpected '{' in template " + name.text};
        case Close:
            if (inBrackets)
                throw ParseError{"unclosed '[' in template " + name.text};
            return;
        case OpenBracket:
            if (inBrackets)
                throw ParseError{"nested '[' in template " + name.text};
            inBrackets = true;
            break;
        case CloseBracket:
            if (!inBrackets)
                throw ParseError{"unmatched ']' in template " + name.text};
            inBrackets = false;
            break;
        default:
            break;
        }
    }
}

// Sequential reader of a node's values with bounds checks.
class Values {
public:
    explicit Values(const Node& n) : m_n(n) {}
    size_t Left() const { return m_n.values.size() - m_i; }
    double Num() {
        if (m_i >= m_n.values.size() || m_n.values[m_i].string >= 0)
            throw ParseError{"missing number in " + m_n.type};
        return m_n.values[m_i++].number;
    }
    // Out-of-range values are refused: they would not fit a float.
    float F() {
        double d = Num();
        if (!(std::fabs(d) <= 3.0e38))
            throw ParseError{"number out of range in " + m_n.type};
        return static_cast<float>(d);
    }
    static bool IsWhole(double d) { return d >= 0 && d <= 4294967295.0 && d == std::floor(d); }
    DWORD Count(size_t perItem) {
        double d = Num();
        if (!IsWhole(d))
            throw ParseError{"bad count in " + m_n.type};
        DWORD c = static_cast<DWORD>(d);
        if (perItem && static_cast<unsigned long long>(c) * perItem > Left())
            throw ParseError{"count larger than the data in " + m_n.type};
        return c;
    }
    DWORD Index(DWORD limit) {
        double d = Num();
        if (!IsWhole(d) || d >= limit)
            throw ParseError{"index out of range in " + m_n.type};
        return static_cast<DWORD>(d);
    }
    std::string Str() {
        if (m_i >= m_n.values.size() || m_n.values[m_i].string < 0)
            throw ParseError{"missing string in " + m_n.type};
        return m_n.strings[static_cast<size_t>(m_n.values[m_i++].string)];
    }
    D3DXMATRIX Matrix() {
        if (Left() < 16)
            throw ParseError{"short matrix in " + m_n.type};
        D3DXMATRIX m;
        for (int i = 0; i < 16; ++i)
            (&m._11)[i] = F();
        return m;
    }

private:
    const Node& m_n;
    size_t m_i = 0;
};

D3DXMATRIX Identity() {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}

class Builder {
public:
    explicit Builder(Scene& s) : m_scene(s) {}

    void Top(const Node& root) {
        for (const auto& c : root.children) {
            if (c->type == "Material" && !c->name.empty())
                m_materials[c->name] = ReadMaterial(*c);
        }
        for (const auto& c : root.children) {
            if (c->type == "Frame") {
                m_scene.frames.push_back(ReadFrame(*c));
            } else if (c->type == "Mesh") {
                // A mesh outside any frame gets an unnamed frame of its own.
                Frame f;
                f.transform = Identity();
                f.meshes.push_back(ReadMesh(*c));
                m_scene.frames.push_back(std::move(f));
            } else if (c->type == "AnimTicksPerSecond") {
                Values v(*c);
                DWORD t = v.Count(0);
                if (t == 0)
                    throw ParseError{"AnimTicksPerSecond is 0"};
                m_scene.ticksPerSecond = t;
            } else if (c->type == "AnimationSet") {
                m_scene.animationSets.push_back(ReadAnimationSet(*c));
            }
        }
    }

private:
    Material ReadMaterial(const Node& n) {
        Values v(n);
        Material m;
        m.diffuse = {v.F(), v.F(), v.F(), v.F()};
        m.power = v.F();
        m.specular = {v.F(), v.F(), v.F(), 1};
        m.emissive = {v.F(), v.F(), v.F(), 1};
        for (const auto& c : n.children) {
            if (c->type == "TextureFilename" || c->type == "TextureFileName") {
                Values t(*c);
                m.textureFile = t.Str();
            }
        }
        return m;
    }

    Frame ReadFrame(const Node& n) {
        Frame f;
        f.name = n.name;
        f.transform = Identity();
        for (const auto& c : n.children) {
            if (c->type == "FrameTransformMatrix") {
                Values v(*c);
                f.transform = v.Matrix();
            } else if (c->type == "Mesh") {
                f.meshes.push_back(ReadMesh(*c));
            } else if (c->type == "Frame") {
                f.children.push_back(ReadFrame(*c));
            }
        }
        return f;
    }

    // Reads `count` faces; each face becomes a fan of triangles. `corner`
    // receives the face's corner list for callers that need it.
    static std::vector<std::vector<DWORD>> ReadFaces(Values& v, DWORD vertexLimit) {
        DWORD faces = v.Count(2);
        std::vector<std::vector<DWORD>> out;
        out.reserve(faces);
        for (DWORD i = 0; i < faces; ++i) {
            DWORD corners = v.Count(1);
            if (corners < 3 || corners > kMaxCornersPerFace)
                throw ParseError{"bad face corner count"};
            std::vector<DWORD> f(corners);
            for (DWORD k = 0; k < corners; ++k)
                f[k] = v.Index(vertexLimit);
            out.push_back(std::move(f));
        }
        return out;
    }

    Mesh ReadMesh(const Node& n) {
        Mesh m;
        m.name = n.name;
        Values v(n);
        DWORD verts = v.Count(3);
        if (verts == 0)
            throw ParseError{"mesh without vertices"};
        m.positions.resize(verts);
        for (auto& p : m.positions)
            p = D3DXVECTOR3{v.F(), v.F(), v.F()};
        auto faces = ReadFaces(v, verts);
        if (faces.empty())
            throw ParseError{"mesh without faces"};
        std::vector<DWORD> firstTriangle;
        for (const auto& f : faces) {
            firstTriangle.push_back(static_cast<DWORD>(m.triangles.size()));
            for (size_t k = 1; k + 1 < f.size(); ++k)
                m.triangles.push_back({f[0], f[k], f[k + 1]});
        }
        m.attributes.assign(m.triangles.size(), 0);
        std::vector<D3DXVECTOR3> normals;
        std::vector<std::vector<DWORD>> normalFaces;

        for (const auto& c : n.children) {
            if (c->type == "MeshNormals") {
                Values nv(*c);
                DWORD count = nv.Count(3);
                normals.resize(count);
                for (auto& nn : normals)
                    nn = D3DXVECTOR3{nv.F(), nv.F(), nv.F()};
                normalFaces = ReadFaces(nv, count);
                if (normalFaces.size() != faces.size())
                    throw ParseError{"MeshNormals face count differs from the mesh"};
                for (size_t i = 0; i < faces.size(); ++i)
                    if (normalFaces[i].size() != faces[i].size())
                        throw ParseError{"MeshNormals face differs from the mesh face"};
            } else if (c->type == "MeshTextureCoords") {
                Values tv(*c);
                DWORD count = tv.Count(2);
                if (count != verts)
                    throw ParseError{"MeshTextureCoords count differs from the vertex count"};
                m.texCoords.resize(count);
                for (auto& t : m.texCoords)
                    t = D3DXVECTOR2{tv.F(), tv.F()};
            } else if (c->type == "MeshMaterialList") {
                Values mv(*c);
                DWORD materials = mv.Count(0);
                DWORD indexes = mv.Count(1);
                if (indexes != faces.size() && indexes != 1)
                    throw ParseError{"MeshMaterialList face count differs from the mesh"};
                std::vector<DWORD> faceMaterial(indexes);
                for (auto& fm : faceMaterial)
                    fm = mv.Index(materials ? materials : 1);
                for (size_t i = 0; i < faces.size(); ++i) {
                    DWORD mat = faceMaterial[indexes == 1 ? 0 : i];
                    DWORD end = i + 1 < faces.size() ? firstTriangle[i + 1] : static_cast<DWORD>(m.triangles.size());
                    for (DWORD t = firstTriangle[i]; t < end; ++t)
                        m.attributes[t] = mat;
                }
                // Materials come as inline objects or references (children
                // without a type), in the file's order.
                for (const auto& mc : c->children) {
                    if (mc->type == "Material") {
                        m.materials.push_back(ReadMaterial(*mc));
                    } else if (mc->type.empty()) {
                        auto it = m_materials.find(mc->name);
                        if (it == m_materials.end())
                            throw ParseError{"unknown material reference " + mc->name};
                        m.materials.push_back(it->second);
                    }
                }
                if (m.materials.size() != materials)
                    throw ParseError{"MeshMaterialList material count differs from its materials"};
            } else if (c->type == "XSkinMeshHeader") {
                Values sv(*c);
                double a = sv.Num(), b = sv.Num(), bones = sv.Num();
                if (!(a >= 0 && a <= 65535 && b >= 0 && b <= 65535 && bones >= 0 && bones <= 65535))
                    throw ParseError{"bad XSkinMeshHeader"};
                m.hasSkinHeader = true;
                m.maxSkinWeightsPerVertex = static_cast<WORD>(a);
                m.maxSkinWeightsPerFace = static_cast<WORD>(b);
                m.bones = static_cast<WORD>(bones);
            } else if (c->type == "SkinWeights") {
                Values sv(*c);
                SkinWeights s;
                s.bone = sv.Str();
                DWORD count = sv.Count(2);
                s.vertices.resize(count);
                for (auto& i : s.vertices)
                    i = sv.Index(verts);
                s.weights.resize(count);
                for (auto& w : s.weights)
                    w = sv.F();
                s.offset = sv.Matrix();
                m.skin.push_back(std::move(s));
            }
        }
        if (m.materials.empty())
            std::fill(m.attributes.begin(), m.attributes.end(), 0);
        if (!normalFaces.empty())
            SplitByNormal(m, faces, normals, normalFaces);
        return m;
    }

    // Normals belong to face corners. A position whose corners carry
    // different normals (a hard edge) becomes one vertex per distinct normal:
    // the first keeps the position's index, the others are appended with the
    // position's texture coordinates and skin weights. Triangles are rebuilt
    // on the new indices in the same order.
    static void SplitByNormal(Mesh& m, const std::vector<std::vector<DWORD>>& faces,
                              const std::vector<D3DXVECTOR3>& normals,
                              const std::vector<std::vector<DWORD>>& normalFaces) {
        const size_t original = m.positions.size();
        m.normals.assign(original, D3DXVECTOR3(0, 0, 0));
        std::vector<bool> used(original, false);
        // Further vertices made from each position.
        std::vector<std::vector<DWORD>> copies(original);
        std::vector<DWORD> source; // position of each appended vertex
        auto same = [](const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; };
        m.triangles.clear();
        for (size_t i = 0; i < faces.size(); ++i) {
            std::vector<DWORD> corners(faces[i].size());
            for (size_t k = 0; k < faces[i].size(); ++k) {
                const DWORD p = faces[i][k];
                const D3DXVECTOR3& n = normals[normalFaces[i][k]];
                DWORD v = p;
                if (!used[p]) {
                    used[p] = true;
                    m.normals[p] = n;
                } else if (!same(m.normals[p], n)) {
                    auto it = std::find_if(copies[p].begin(), copies[p].end(),
                                           [&](DWORD c) { return same(m.normals[c], n); });
                    if (it != copies[p].end()) {
                        v = *it;
                    } else {
                        v = static_cast<DWORD>(m.positions.size());
                        m.positions.push_back(m.positions[p]);
                        m.normals.push_back(n);
                        if (!m.texCoords.empty())
                            m.texCoords.push_back(m.texCoords[p]);
                        copies[p].push_back(v);
                        source.push_back(p);
                    }
                }
                corners[k] = v;
            }
            for (size_t k = 1; k + 1 < corners.size(); ++k)
                m.triangles.push_back({corners[0], corners[k], corners[k + 1]});
        }
        if (source.empty())
            return;
        for (auto& s : m.skin) {
            const size_t influenced = s.vertices.size();
            for (size_t j = 0; j < influenced; ++j)
                for (DWORD c : copies[s.vertices[j]]) {
                    s.vertices.push_back(c);
                    s.weights.push_back(s.weights[j]);
                }
        }
    }

    AnimationSet ReadAnimationSet(const Node& n) {
        AnimationSet s;
        s.name = n.name;
        for (const auto& c : n.children) {
            if (c->type != "Animation")
                continue;
            Animation a;
            if (!c->references.empty())
                a.frame = c->references.front();
            for (const auto& k : c->children) {
                if (k->type == "AnimationKey")
                    ReadKeys(*k, a);
                else if (k->type == "Frame" && a.frame.empty())
                    a.frame = k->name;
            }
            s.animations.push_back(std::move(a));
        }
        return s;
    }

    static void ReadKeys(const Node& n, Animation& a) {
        Values v(n);
        double type = v.Num();
        DWORD keys = v.Count(3);
        for (DWORD i = 0; i < keys; ++i) {
            float time = v.F();
            DWORD values = v.Count(1);
            if (type == 0) {
                if (values != 4)
                    throw ParseError{"rotation key needs 4 values"};
                float w = v.F(), x = v.F(), y = v.F(), z = v.F();
                a.rotation.push_back({time, D3DXQUATERNION(x, y, z, w)});
            } else if (type == 1 || type == 2) {
                if (values != 3)
                    throw ParseError{"scale and position keys need 3 values"};
                VectorKey k{time, D3DXVECTOR3{v.F(), v.F(), v.F()}};
                (type == 1 ? a.scale : a.position).push_back(k);
            } else if (type == 3 || type == 4) {
                if (values != 16)
                    throw ParseError{"matrix key needs 16 values"};
                a.matrix.push_back({time, v.Matrix()});
            } else {
                throw ParseError{"unknown animation key type"};
            }
        }
    }

    Scene& m_scene;
    std::map<std::string, Material> m_materials;
};

} // namespace

namespace {

// Compressed files: after the header, the DWORD size of the whole file once
// expanded, then blocks of { WORD expanded size, WORD packed size, "CK",
// deflate data } where each block may refer back into the previous 32 KB.
std::string Expand(const char* p, const char* end) {
    auto u16 = [](const char* q) {
        return static_cast<unsigned>(static_cast<unsigned char>(q[0])) |
               (static_cast<unsigned>(static_cast<unsigned char>(q[1])) << 8);
    };
    if (end - p < 4)
        throw ParseError{"compressed file without its size"};
    const DWORD total = static_cast<DWORD>(u16(p)) | (static_cast<DWORD>(u16(p + 2)) << 16);
    p += 4;
    if (total > kMaxFileBytes)
        throw ParseError{"compressed file expands beyond the size limit"};
    std::string out;
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        throw ParseError{"cannot start decompression"};
    struct Closer {
        z_stream* z;
        ~Closer() { inflateEnd(z); }
    } closer{&z};
    constexpr size_t kBlock = 32768;
    while (p < end) {
        if (end - p < 6)
            throw ParseError{"truncated compressed block header"};
        const unsigned expanded = u16(p), packed = u16(p + 2);
        if (expanded == 0 || expanded > kBlock || packed < 2 || static_cast<size_t>(end - p - 4) < packed)
            throw ParseError{"bad compressed block sizes"};
        if (p[4] != 'C' || p[5] != 'K')
            throw ParseError{"compressed block without its signature"};
        if (out.size() + expanded > total)
            throw ParseError{"compressed blocks larger than the file size says"};
        inflateReset(&z);
        const size_t history = std::min(out.size(), kBlock);
        if (history && inflateSetDictionary(&z, reinterpret_cast<const Bytef*>(out.data() + out.size() - history),
                                            static_cast<uInt>(history)) != Z_OK)
            throw ParseError{"cannot continue decompression"};
        const size_t at = out.size();
        out.resize(at + expanded);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(p + 6));
        z.avail_in = packed - 2;
        z.next_out = reinterpret_cast<Bytef*>(&out[at]);
        z.avail_out = expanded;
        const int r = inflate(&z, Z_FINISH);
        if (r != Z_STREAM_END || z.avail_out != 0)
            throw ParseError{"corrupt compressed block"};
        p += 4 + packed;
    }
    // The size counts the 16 header bytes; some writers leave them out.
    if (out.size() + 16 != total && out.size() != total)
        throw ParseError{"compressed file expands to another size than it says"};
    return out;
}

void ParseObjects(TokenSource& lex, Node& root) {
    for (;;) {
        Token t = lex.Next();
        if (t.kind == End)
            break;
        if (t.kind != Ident)
            throw ParseError{"expected a data object at top level"};
        if (t.text == "template") {
            SkipTemplate(lex);
            continue;
        }
        auto child = std::make_unique<Node>();
        child->type = t.text;
        Token n = lex.Next();
        if (n.kind == Ident) {
            child->name = n.text;
            n = lex.Next();
        }
        if (n.kind != Open)
            throw ParseError{"expected '{' after " + child->type};
        ParseBody(lex, *child, 1);
        root.children.push_back(std::move(child));
    }
}

} // namespace

bool Parse(const char* data, size_t size, Scene& out, std::string& error) {
    out = Scene{};
    if (size > kMaxFileBytes) {
        error = "file too large";
        return false;
    }
    if (size < 16 || std::memcmp(data, "xof ", 4) != 0) {
        error = "not an .x file";
        return false;
    }
    const std::string format(data + 8, 4);
    const bool text = format == "txt " || format == "tzip";
    const bool compressed = format == "tzip" || format == "bzip";
    if (!text && format != "bin " && !compressed) {
        error = "unknown .x format '" + format + "'";
        return false;
    }
    size_t floatBytes = 0;
    if (std::memcmp(data + 12, "0032", 4) == 0)
        floatBytes = 4;
    else if (std::memcmp(data + 12, "0064", 4) == 0)
        floatBytes = 8;
    else if (!text) {
        error = "unknown float size in the .x header";
        return false;
    }
    try {
        std::string expanded;
        const char* body = data + 16;
        const char* end = data + size;
        if (compressed) {
            expanded = Expand(body, end);
            body = expanded.data();
            end = body + expanded.size();
        }
        Node root;
        root.type = "file";
        if (text) {
            TextLexer lex(body, end);
            ParseObjects(lex, root);
        } else {
            BinaryLexer lex(body, end, floatBytes);
            ParseObjects(lex, root);
        }
        Builder b(out);
        b.Top(root);
        if (out.frames.empty())
            throw ParseError{"no frame or mesh in the file"};
    } catch (const ParseError& e) {
        error = e.text;
        out = Scene{};
        return false;
    } catch (const std::bad_alloc&) {
        error = "out of memory";
        out = Scene{};
        return false;
    }
    return true;
}

bool ParseFile(const std::string& path, Scene& out, std::string& error) {
    std::string bytes;
    if (!Platform::ReadFile(path, bytes, kMaxFileBytes)) {
        error = "cannot read " + path;
        return false;
    }
    return Parse(bytes.data(), bytes.size(), out, error);
}

} // namespace XFile
