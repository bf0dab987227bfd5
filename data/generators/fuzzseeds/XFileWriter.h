#pragma once
// Writes ".x" files in each form the model reader takes: text, binary tokens
// with 32- or 64-bit floats, and either of them compressed. One scene
// description drives every form, so tests can show that all forms of a file
// load alike, and the fuzz seeds cover each form.
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace XFileWriter {

enum class Form { Text, Binary32, Binary64 };

// A template member: `[array] type name[dim]...;`.
struct Member {
    std::string type;
    std::string name;
    std::vector<std::string> dims; // empty: not an array
};

class Writer {
public:
    explicit Writer(Form form) : m_form(form) {
        m_out = form == Form::Text ? "xof 0303txt 0032\n" : (form == Form::Binary32 ? "xof 0303bin 0032"
                                                                                    : "xof 0303bin 0064");
    }

    // restriction: "" closed, "..." open, otherwise a comma-separated list
    // of template names, each with an optional " <guid>".
    void Template(const std::string& name, const std::string& guid, const std::vector<Member>& members,
                  const std::string& restriction = "") {
        if (Text()) {
            m_out += "template " + name + " {\n <" + guid + ">\n";
            for (const auto& m : members) {
                m_out += " " + std::string(m.dims.empty() ? "" : "array ") + m.type + " " + m.name;
                for (const auto& d : m.dims)
                    m_out += "[" + d + "]";
                m_out += ";\n";
            }
            if (!restriction.empty())
                m_out += " [" + restriction + "]\n";
            m_out += "}\n\n";
            return;
        }
        Token(31);
        Name(name);
        Token(10);
        GuidRecord();
        for (const auto& m : members) {
            if (!m.dims.empty())
                Token(52);
            TypeToken(m.type);
            Name(m.name);
            for (const auto& d : m.dims) {
                Token(14);
                if (!d.empty() && d[0] >= '0' && d[0] <= '9') {
                    Token(3);
                    U32(static_cast<uint32_t>(std::stoul(d)));
                } else {
                    Name(d);
                }
                Token(15);
            }
            Token(20);
        }
        if (restriction == "...") {
            Token(14);
            Token(18);
            Token(18);
            Token(18);
            Token(15);
        } else if (!restriction.empty()) {
            Token(14);
            size_t at = 0;
            while (at <= restriction.size()) {
                size_t comma = restriction.find(',', at);
                std::string item = restriction.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
                item.erase(0, item.find_first_not_of(' '));
                const size_t space = item.find(' ');
                Name(item.substr(0, space));
                if (space != std::string::npos)
                    GuidRecord();
                if (comma == std::string::npos)
                    break;
                Token(19);
                at = comma + 1;
            }
            Token(15);
        }
        Token(11);
    }

    void Begin(const std::string& type, const std::string& name = "") {
        if (Text()) {
            m_out += Indent() + type + (name.empty() ? "" : " " + name) + " {\n";
        } else {
            Name(type);
            if (!name.empty())
                Name(name);
            Token(10);
        }
        ++m_depth;
    }
    void End() {
        --m_depth;
        if (Text())
            m_out += Indent() + "}\n";
        else
            Token(11);
    }
    void Ints(const std::vector<uint32_t>& v) {
        if (Text()) {
            m_out += Indent();
            for (size_t i = 0; i < v.size(); ++i)
                m_out += std::to_string(v[i]) + (i + 1 < v.size() ? "," : ";");
            m_out += "\n";
            return;
        }
        Token(6);
        U32(static_cast<uint32_t>(v.size()));
        for (uint32_t x : v)
            U32(x);
    }
    void Floats(const std::vector<double>& v) {
        if (Text()) {
            m_out += Indent();
            char b[40];
            for (size_t i = 0; i < v.size(); ++i) {
                std::snprintf(b, sizeof b, "%.9g%s", v[i], i + 1 < v.size() ? "," : ";");
                m_out += b;
            }
            m_out += "\n";
            return;
        }
        Token(7);
        U32(static_cast<uint32_t>(v.size()));
        for (double d : v) {
            if (m_form == Form::Binary32) {
                const float f = static_cast<float>(d);
                m_out.append(reinterpret_cast<const char*>(&f), 4);
            } else {
                m_out.append(reinterpret_cast<const char*>(&d), 8);
            }
        }
    }
    void String(const std::string& s) {
        if (Text()) {
            m_out += Indent() + "\"" + s + "\";\n";
            return;
        }
        Token(2);
        U32(static_cast<uint32_t>(s.size()));
        m_out += s;
        Token(20);
    }
    void Reference(const std::string& name) {
        if (Text()) {
            m_out += Indent() + "{ " + name + " }\n";
            return;
        }
        Token(10);
        Name(name);
        Token(11);
    }
    const std::string& Bytes() const { return m_out; }

private:
    bool Text() const { return m_form == Form::Text; }
    std::string Indent() const { return std::string(size_t(m_depth), ' '); }
    void Token(uint16_t t) { m_out.append(reinterpret_cast<const char*>(&t), 2); }
    void U32(uint32_t v) { m_out.append(reinterpret_cast<const char*>(&v), 4); }
    void Name(const std::string& n) {
        Token(1);
        U32(static_cast<uint32_t>(n.size()));
        m_out += n;
    }
    void GuidRecord() {
        Token(5);
        for (int i = 0; i < 16; ++i)
            m_out += static_cast<char>(0x30 + i);
    }
    void TypeToken(const std::string& type) {
        static const char* const kTypes[] = {"WORD",   "DWORD", "FLOAT",   "DOUBLE",  "CHAR",   "UCHAR", "SWORD",
                                             "SDWORD", "void",  "STRING", "unicode", "cstring"};
        for (uint16_t i = 0; i < 12; ++i)
            if (type == kTypes[i]) {
                Token(static_cast<uint16_t>(40 + i));
                return;
            }
        Name(type);
    }

    Form m_form;
    std::string m_out;
    int m_depth = 0;
};

// The compressed form of a text or binary file: "tzip"/"bzip" in the
// header, the expanded size (header included), then deflate blocks of at
// most blockBytes, each able to refer back into the bytes before it.
inline std::string Compress(const std::string& file, size_t blockBytes = 32768) {
    if (file.size() < 16 || blockBytes == 0 || blockBytes > 32768)
        throw std::invalid_argument("Compress: not an .x file or bad block size");
    std::string out = file.substr(0, 16);
    out.replace(8, 4, file.compare(8, 4, "txt ") == 0 ? "tzip" : "bzip");
    const std::string body = file.substr(16);
    const uint32_t total = static_cast<uint32_t>(file.size());
    out.append(reinterpret_cast<const char*>(&total), 4);
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::vector<unsigned char> packed(deflateBound(&z, static_cast<uLong>(blockBytes)) + 16);
    for (size_t at = 0; at < body.size(); at += blockBytes) {
        const size_t n = std::min(blockBytes, body.size() - at);
        deflateReset(&z);
        const size_t history = std::min<size_t>(at, 32768);
        if (history)
            deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(body.data() + at - history),
                                 static_cast<uInt>(history));
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data() + at));
        z.avail_in = static_cast<uInt>(n);
        z.next_out = packed.data();
        z.avail_out = static_cast<uInt>(packed.size());
        if (deflate(&z, Z_FINISH) != Z_STREAM_END)
            throw std::runtime_error("deflate");
        const uint16_t expanded = static_cast<uint16_t>(n);
        const uint16_t size = static_cast<uint16_t>(packed.size() - z.avail_out + 2);
        out.append(reinterpret_cast<const char*>(&expanded), 2);
        out.append(reinterpret_cast<const char*>(&size), 2);
        out += "CK";
        out.append(reinterpret_cast<const char*>(packed.data()), size - 2u);
    }
    deflateEnd(&z);
    return out;
}

// A unit cube's corners and its six faces as quads, each face with its own
// outward normal: every corner is shared by three faces with different
// normals (hard edges).
inline const std::vector<double>& CubeCorners() {
    static const std::vector<double> c = {-0.5, -0.5, -0.5, 0.5,  -0.5, -0.5, 0.5,  0.5,  -0.5, -0.5, 0.5,  -0.5,
                                          -0.5, -0.5, 0.5,  0.5,  -0.5, 0.5,  0.5,  0.5,  0.5,  -0.5, 0.5,  0.5};
    return c;
}
inline const std::vector<uint32_t>& CubeFaces() {
    // nFaces, then per face: corner count and corners (clockwise seen from outside).
    static const std::vector<uint32_t> f = {6,          4, 0, 3, 2, 1, 4, 4, 5, 6, 7, 4, 0, 4, 7, 3,
                                            4, 1, 2, 6, 5, 4, 3, 7, 6, 2, 4, 0, 1, 5, 4};
    return f;
}
inline void CubeNormals(Writer& w) {
    w.Begin("MeshNormals");
    w.Ints({6});
    w.Floats({0, 0, -1, 0, 0, 1, -1, 0, 0, 1, 0, 0, 0, 1, 0, 0, -1, 0});
    w.Ints({6, 4, 0, 0, 0, 0, 4, 1, 1, 1, 1, 4, 2, 2, 2, 2, 4, 3, 3, 3, 3, 4, 4, 4, 4, 4, 4, 5, 5, 5, 5});
    w.End();
}

inline std::vector<double> Translation(double x, double y, double z) {
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
}

// The standard templates an exporter puts at the top of a file: closed,
// open ("[...]") and restricted ones, with arrays sized by numbers and by
// members.
inline void StandardTemplates(Writer& w) {
    w.Template("Header", "3D82AB43-62DA-11CF-AB39-0020AF71E433",
               {{"WORD", "major", {}}, {"WORD", "minor", {}}, {"DWORD", "flags", {}}});
    w.Template("Vector", "3D82AB5E-62DA-11CF-AB39-0020AF71E433",
               {{"FLOAT", "x", {}}, {"FLOAT", "y", {}}, {"FLOAT", "z", {}}});
    w.Template("Matrix4x4", "F6F23F45-7686-11CF-8F52-0040333594A3", {{"FLOAT", "matrix", {"16"}}});
    w.Template("FrameTransformMatrix", "F6F23F41-7686-11CF-8F52-0040333594A3", {{"Matrix4x4", "frameMatrix", {}}});
    w.Template("Frame", "3D82AB46-62DA-11CF-AB39-0020AF71E433", {}, "...");
    w.Template("MeshFace", "3D82AB5F-62DA-11CF-AB39-0020AF71E433",
               {{"DWORD", "nFaceVertexIndices", {}}, {"DWORD", "faceVertexIndices", {"nFaceVertexIndices"}}});
    w.Template("Mesh", "3D82AB44-62DA-11CF-AB39-0020AF71E433",
               {{"DWORD", "nVertices", {}},
                {"Vector", "vertices", {"nVertices"}},
                {"DWORD", "nFaces", {}},
                {"MeshFace", "faces", {"nFaces"}}},
               "...");
    w.Template("MeshMaterialList", "F6F23F42-7686-11CF-8F52-0040333594A3",
               {{"DWORD", "nMaterials", {}}, {"DWORD", "nFaceIndexes", {}}, {"DWORD", "faceIndexes", {"nFaceIndexes"}}},
               "Material <3D82AB4D-62DA-11CF-AB39-0020AF71E433>");
    w.Template("TextureFilename", "A42790E1-7810-11CF-8F52-0040333594A3", {{"STRING", "filename", {}}});
    w.Template("Animation", "3D82AB4F-62DA-11CF-AB39-0020AF71E433", {},
               "AnimationKey <10DD46A8-775B-11CF-8F52-0040333594A3>, AnimationOptions, Frame");
}

// A small scene that uses every part the reader knows: a shared material
// and a data reference to it, nested frames, a hard-edged skinned box with
// texture coordinates and two materials, and an animation with every key
// type.
inline std::string SampleScene(Form form) {
    Writer w(form);
    StandardTemplates(w);
    w.Begin("Header");
    w.Ints({1, 0, 1});
    w.End();
    w.Begin("Material", "Shared");
    w.Floats({0.25, 0.5, 0.75, 1.0, 5.0, 0.5, 0.5, 0.5, 0, 0, 0});
    w.Begin("TextureFilename");
    w.String("hull.bmp");
    w.End();
    w.End();
    w.Begin("Frame", "Root");
    w.Begin("FrameTransformMatrix");
    w.Floats(Translation(1, 2, 3));
    w.End();
    w.Begin("Frame", "Body");
    w.Begin("Mesh", "Box");
    w.Ints({8});
    w.Floats(CubeCorners());
    w.Ints(CubeFaces());
    CubeNormals(w);
    w.Begin("MeshTextureCoords");
    w.Ints({8});
    w.Floats({0, 0, 1, 0, 1, 1, 0, 1, 0.5, 0, 1, 0.5, 0.5, 1, 0, 0.5});
    w.End();
    w.Begin("MeshMaterialList");
    w.Ints({2, 6, 0, 0, 1, 1, 0, 1});
    w.Reference("Shared");
    w.Begin("Material");
    w.Floats({1, 0, 0, 1, 0, 0, 0, 0, 0.125, 0, 0});
    w.End();
    w.End();
    w.Begin("XSkinMeshHeader");
    w.Ints({1, 3, 2});
    w.End();
    w.Begin("SkinWeights");
    w.String("Body");
    w.Ints({4, 0, 1, 2, 3});
    w.Floats({1, 1, 1, 1});
    w.Floats(Translation(0, 0, 0));
    w.End();
    w.Begin("SkinWeights");
    w.String("Arm");
    w.Ints({4, 4, 5, 6, 7});
    w.Floats({1, 1, 1, 0.5});
    w.Floats(Translation(0, -1, 0));
    w.End();
    w.End(); // Mesh
    w.Begin("Frame", "Arm");
    w.Begin("FrameTransformMatrix");
    w.Floats(Translation(0, 1, 0));
    w.End();
    w.End();
    w.End(); // Body
    w.End(); // Root
    w.Begin("AnimTicksPerSecond");
    w.Ints({160});
    w.End();
    w.Begin("AnimationSet", "Swing");
    w.Begin("Animation");
    w.Reference("Arm");
    w.Begin("AnimationOptions");
    w.Ints({1, 0});
    w.End();
    w.Begin("AnimationKey", "Turn");
    w.Ints({0, 2, 0, 4});
    w.Floats({1, 0, 0, 0});
    w.Ints({160, 4});
    w.Floats({0.70710677, 0, 0.70710677, 0});
    w.End();
    w.Begin("AnimationKey");
    w.Ints({1, 2, 0, 3});
    w.Floats({1, 1, 1});
    w.Ints({160, 3});
    w.Floats({2, 2, 2});
    w.End();
    w.Begin("AnimationKey");
    w.Ints({2, 2, 0, 3});
    w.Floats({0, 1, 0});
    w.Ints({160, 3});
    w.Floats({0, 3, 0.5});
    w.End();
    w.End(); // Animation
    w.Begin("Animation");
    w.Reference("Body");
    w.Begin("AnimationKey");
    w.Ints({4, 1, 80, 16});
    w.Floats(Translation(0, 0, -2));
    w.End();
    w.End();
    w.End(); // AnimationSet
    return w.Bytes();
}

// A hard-edged unit cube alone, in a frame named "Cube".
inline std::string HardEdgeCube(Form form) {
    Writer w(form);
    StandardTemplates(w);
    w.Begin("Frame", "Cube");
    w.Begin("Mesh");
    w.Ints({8});
    w.Floats(CubeCorners());
    w.Ints(CubeFaces());
    CubeNormals(w);
    w.End();
    w.End();
    return w.Bytes();
}

} // namespace XFileWriter
