#include "platform/d3dx/XFileReader.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>

#include "platform/os/Paths.h"

namespace XFile {
namespace {

// One value of a data object's body: a number or a quoted string.
struct Value {
    bool isString = false;
    double number = 0;
    std::string text;
};

// A data object: `Type [name] { values... nested objects... {references} }`.
struct Node {
    std::string type;
    std::string name;
    std::vector<Value> values;
    std::vector<std::unique_ptr<Node>> children;
    std::vector<std::string> references;
};

struct ParseError {
    std::string text;
};

class Lexer {
public:
    Lexer(const char* p, const char* end) : m_p(p), m_end(end) {}

    enum Kind { End, Ident, Number, String, Open, Close, Guid };
    struct Token {
        Kind kind = End;
        std::string text;
        double number = 0;
    };

    Token Next() {
        SkipBlanks();
        Token t;
        if (m_p >= m_end)
            return t;
        char c = *m_p;
        if (c == '{') {
            ++m_p;
            t.kind = Open;
            return t;
        }
        if (c == '}') {
            ++m_p;
            t.kind = Close;
            return t;
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

    Token Peek() {
        const char* save = m_p;
        Token t = Next();
        m_p = save;
        return t;
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

// Reads the body after '{' up to and including the matching '}'.
void ParseBody(Lexer& lex, Node& node, int depth) {
    if (depth > kMaxNesting)
        throw ParseError{"nesting too deep"};
    for (;;) {
        Lexer::Token t = lex.Next();
        switch (t.kind) {
        case Lexer::End:
            throw ParseError{"unexpected end of file inside " + node.type};
        case Lexer::Close:
            return;
        case Lexer::Number: {
            Value v;
            v.number = t.number;
            node.values.push_back(std::move(v));
            break;
        }
        case Lexer::String: {
            Value v;
            v.isString = true;
            v.text = std::move(t.text);
            node.values.push_back(std::move(v));
            break;
        }
        case Lexer::Guid:
            break;
        case Lexer::Open: {
            // A reference: { Name } or { Name <guid> } or { <guid> }.
            std::string name;
            for (;;) {
                Lexer::Token r = lex.Next();
                if (r.kind == Lexer::Close)
                    break;
                if (r.kind == Lexer::Ident && name.empty())
                    name = r.text;
                else if (r.kind != Lexer::Guid)
                    throw ParseError{"bad reference"};
            }
            node.references.push_back(name);
            break;
        }
        case Lexer::Ident: {
            auto child = std::make_unique<Node>();
            child->type = t.text;
            Lexer::Token n = lex.Next();
            if (n.kind == Lexer::Ident) {
                child->name = n.text;
                n = lex.Next();
            }
            if (n.kind != Lexer::Open)
                throw ParseError{"expected '{' after " + child->type};
            ParseBody(lex, *child, depth + 1);
            node.children.push_back(std::move(child));
            break;
        }
        }
    }
}

void SkipTemplate(Lexer& lex) {
    int depth = 0;
    for (;;) {
        Lexer::Token t = lex.Next();
        if (t.kind == Lexer::End)
            throw ParseError{"unexpected end of file in template"};
        if (t.kind == Lexer::Open)
            ++depth;
        else if (t.kind == Lexer::Close && --depth <= 0)
            return;
    }
}

// Sequential reader of a node's values with bounds checks.
class Values {
public:
    explicit Values(const Node& n) : m_n(n) {}
    size_t Left() const { return m_n.values.size() - m_i; }
    double Num() {
        if (m_i >= m_n.values.size() || m_n.values[m_i].isString)
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
        if (m_i >= m_n.values.size() || !m_n.values[m_i].isString)
            throw ParseError{"missing string in " + m_n.type};
        return m_n.values[m_i++].text;
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

        for (const auto& c : n.children) {
            if (c->type == "MeshNormals") {
                Values nv(*c);
                DWORD count = nv.Count(3);
                std::vector<D3DXVECTOR3> normals(count);
                for (auto& nn : normals)
                    nn = D3DXVECTOR3{nv.F(), nv.F(), nv.F()};
                auto nfaces = ReadFaces(nv, count);
                if (nfaces.size() != faces.size())
                    throw ParseError{"MeshNormals face count differs from the mesh"};
                m.normals.assign(verts, D3DXVECTOR3(0, 0, 0));
                for (size_t i = 0; i < faces.size(); ++i) {
                    if (nfaces[i].size() != faces[i].size())
                        throw ParseError{"MeshNormals face differs from the mesh face"};
                    for (size_t k = 0; k < faces[i].size(); ++k)
                        m.normals[faces[i][k]] = normals[nfaces[i][k]];
                }
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
                // Materials come as inline objects or references, in order.
                size_t ref = 0;
                for (const auto& mc : c->children)
                    if (mc->type == "Material")
                        m.materials.push_back(ReadMaterial(*mc));
                for (; ref < c->references.size(); ++ref) {
                    auto it = m_materials.find(c->references[ref]);
                    if (it == m_materials.end())
                        throw ParseError{"unknown material reference " + c->references[ref]};
                    m.materials.push_back(it->second);
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
        return m;
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
    if (std::memcmp(data + 8, "txt ", 4) != 0) {
        error = "only text .x files are read";
        return false;
    }
    try {
        Lexer lex(data + 16, data + size);
        Node root;
        root.type = "file";
        for (;;) {
            Lexer::Token t = lex.Next();
            if (t.kind == Lexer::End)
                break;
            if (t.kind != Lexer::Ident)
                throw ParseError{"expected a data object at top level"};
            if (t.text == "template") {
                SkipTemplate(lex);
                continue;
            }
            auto child = std::make_unique<Node>();
            child->type = t.text;
            Lexer::Token n = lex.Next();
            if (n.kind == Lexer::Ident) {
                child->name = n.text;
                n = lex.Next();
            }
            if (n.kind != Lexer::Open)
                throw ParseError{"expected '{' after " + child->type};
            ParseBody(lex, *child, 1);
            root.children.push_back(std::move(child));
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
