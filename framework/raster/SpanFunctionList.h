// The 71 distinct span functions: name, format group, slot. Every slot of the
// 128-entry table holds one of these (see SpanFunctions.cpp for the mapping).
// Expanded with X(name, group, slot).
#define KIVO_SPAN_FUNCTIONS(X)                          \
    X(DrawTriangleARGBGouraud, 0, 4)                    \
    X(DrawTriangleX888Gouraud, 1, 4)                    \
    X(DrawTriangle565Gouraud, 2, 4)                     \
    X(DrawTriangle555Gouraud, 3, 4)                     \
    X(DrawTriangleARGBGouraudMod, 0, 6)                 \
    X(DrawTriangleX888GouraudMod, 1, 6)                 \
    X(DrawTriangle565GouraudMod, 2, 6)                  \
    X(DrawTriangle555GouraudMod, 3, 6)                  \
    X(DrawTriangle32Tex, 0, 16)                         \
    X(DrawTriangle565Tex, 2, 16)                        \
    X(DrawTriangle555Tex, 3, 16)                        \
    X(DrawTriangle32TexLinear, 0, 17)                   \
    X(DrawTriangle565TexLinear, 2, 17)                  \
    X(DrawTriangle555TexLinear, 3, 17)                  \
    KIVO_SPAN_FUNCTIONS_PER_GROUP(X, ARGB, 0)           \
    KIVO_SPAN_FUNCTIONS_PER_GROUP(X, X888, 1)           \
    KIVO_SPAN_FUNCTIONS_PER_GROUP(X, 565, 2)            \
    KIVO_SPAN_FUNCTIONS_PER_GROUP(X, 555, 3)

#define KIVO_SPAN_FUNCTIONS_PER_GROUP(X, F, G)          \
    X(DrawTriangle##F##TexMod, G, 18)                   \
    X(DrawTriangle##F##TexModLinear, G, 19)             \
    X(DrawTriangle##F##TexGouraud, G, 20)               \
    X(DrawTriangle##F##TexGouraudLinear, G, 21)         \
    X(DrawTriangle##F##TexGouraudMod, G, 22)            \
    X(DrawTriangle##F##TexGouraudModLinear, G, 23)      \
    X(DrawTriangle##F##TexBlend, G, 24)                 \
    X(DrawTriangle##F##TexBlendLinear, G, 25)           \
    X(DrawTriangle##F##TexBlendMod, G, 26)              \
    X(DrawTriangle##F##TexBlendModLinear, G, 27)        \
    X(DrawTriangle##F##TexBlendGouraud, G, 28)          \
    X(DrawTriangle##F##TexBlendGouraudLinear, G, 29)    \
    X(DrawTriangle##F##TexBlendGouraudMod, G, 30)       \
    X(DrawTriangle##F##TexBlendGouraudModLinear, G, 31)
