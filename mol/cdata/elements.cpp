// The element table and the routines that read it: symbols, masses,
// configurations, isotopes, radii, the periodic-system grid, X-ray lines and
// the name-fragment coding. Every table of the unit is defined here, once.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <utility>

#include "mol/cdata/cdata_tables_impl.hpp"
#include "mol/cdata/zel_cdata.hpp"

namespace zel {
namespace cdata_detail {

// Symbol, name, mass number, exact mass (u), chemical weight (g/mol, 1960s
// values; 0 = none), outer electrons, configuration.
constexpr std::array<TElementRow, 104> kElements = {{
    {"", "", 0, 0.0, 0.0, 0, ""},                                               // neutral row
    {"H", "hydrogen", 1, 1.007825, 1.00797, 1, "1s1"},                          // 1
    {"He", "helium", 4, 4.002603, 4.0026, 2, "1s2"},                            // 2
    {"Li", "litium", 7, 7.016005, 6.939, 1, "[He] 2s1"},                        // 3
    {"Be", "beryllium", 9, 9.012183, 9.0122, 2, "[He] 2s2"},                    // 4
    {"B", "boron", 11, 11.009305, 10.811, 3, "[He] 2s2 2p1"},                   // 5
    {"C", "carbon", 12, 12.0, 12.01115, 4, "[He] 2s2 2p2"},                     // 6
    {"N", "nitrogen", 14, 14.003074, 14.0067, 5, "[He] 2s2 2p3"},               // 7
    {"O", "oxygen", 16, 15.994915, 15.9994, 6, "[He] 2s2 2p4"},                 // 8
    {"F", "flourine", 19, 18.998405, 18.9984, 7, "[He] 2s2 2p5"},               // 9
    {"Ne", "neon", 20, 19.99244, 20.183, 8, "[He] 2s2 2p6"},                    // 10
    {"Na", "sodium", 23, 22.98977, 22.9898, 1, "[Ne] 3s1"},                     // 11
    {"Mg", "magnesium", 24, 23.985044, 24.312, 2, "[Ne] 3s2"},                  // 12
    {"Al", "aluminum", 27, 26.981541, 26.9815, 3, "[Ne] 3s2 3p1"},              // 13
    {"Si", "silicon", 28, 27.976929, 28.086, 4, "[Ne] 3s2 3p2"},                // 14
    {"P", "phosphorus", 31, 30.973763, 30.9738, 5, "[Ne] 3s2 3p3"},             // 15
    {"S", "sulfur", 32, 31.972073, 32.064, 6, "[Ne] 3s2 3p4"},                  // 16
    {"Cl", "chlorine", 35, 34.968854, 35.453, 7, "[Ne] 3s2 3p5"},               // 17
    {"Ar", "argon", 40, 39.962384, 39.948, 8, "[Ne] 3s2 3p6"},                  // 18
    {"K", "potassium", 39, 38.963709, 39.102, 1, "[Ar] 4s1"},                   // 19
    {"Ca", "calcium", 40, 39.962592, 40.08, 2, "[Ar] 4s2"},                     // 20
    {"Sc", "scandium", 45, 44.955917, 44.956, 2, "[Ar] 3d1 4s2"},               // 21
    {"Ti", "titanium", 48, 47.947949, 47.9, 2, "[Ar] 3d2 4s2"},                 // 22
    {"V", "vanadin", 51, 50.943964, 50.942, 2, "[Ar] 3d3 4s2"},                 // 23
    {"Cr", "chromium", 52, 51.94051, 51.996, 1, "[Ar] 3d5 4s1"},                // 24
    {"Mn", "manganese", 55, 54.938046, 54.938, 2, "[Ar] 3d5 4s2"},              // 25
    {"Fe", "iron", 56, 55.934934, 55.847, 2, "[Ar] 3d6 4s2"},                   // 26
    {"Co", "cobalt", 59, 58.933188, 58.9332, 2, "[Ar] 3d7 4s2"},                // 27
    {"Ni", "nickel", 58, 57.935336, 58.71, 2, "[Ar] 3d8 4s2"},                  // 28
    {"Cu", "copper", 63, 62.92959, 63.54, 1, "[Ar] 3d10 4s1"},                  // 29
    {"Zn", "zinc", 64, 63.92914, 65.37, 2, "[Ar] 3d10 4s2"},                    // 30
    {"Ga", "gallium", 69, 68.92558, 69.72, 3, "[Ar] 3d10 4s2 4p1"},             // 31
    {"Ge", "germanium", 74, 73.921179, 72.59, 4, "[Ar] 3d10 4s2 4p2"},          // 32
    {"As", "arsenic", 75, 74.9216, 74.9216, 5, "[Ar] 3d10 4s2 4p3"},            // 33
    {"Se", "selenium", 80, 79.916525, 78.96, 6, "[Ar] 3d10 4s2 4p4"},           // 34
    {"Br", "bromine", 79, 78.918332, 79.909, 7, "[Ar] 3d10 4s2 4p5"},           // 35
    {"Kr", "krypton", 84, 83.911505, 83.8, 8, "[Ar] 3d10 4s2 4p6"},             // 36
    {"Rb", "rubidium", 85, 84.911799, 85.47, 1, "[Kr] 5s1"},                    // 37
    {"Sr", "strontium", 88, 87.905628, 87.62, 2, "[Kr] 5s2"},                   // 38
    {"Y", "yttrium", 89, 88.905867, 88.905, 2, "[Kr] 4d1 5s2"},                 // 39
    {"Zr", "zirconium", 90, 89.904711, 91.22, 2, "[Kr] 4d2 5s2"},               // 40
    {"Nb", "niobium", 93, 92.90638, 92.906, 1, "[Kr] 4d4 5s1"},                 // 41
    {"Mo", "molybdenum", 98, 97.90541, 95.94, 1, "[Kr] 4d5 5s1"},               // 42
    {"Tc", "technetium", 97, 96.9064, 0, 2, "[Kr] 4d5 5s2"},                    // 43
    {"Ru", "ruthenium", 102, 101.904348, 101.07, 1, "[Kr] 4d7 5s1"},            // 44
    {"Rh", "rhodium", 103, 102.905512, 102.905, 1, "[Kr] 4d8 5s1"},             // 45
    {"Pd", "palladium", 106, 105.903487, 106.4, 0, "[Kr] 4d10"},                // 46
    {"Ag", "silver", 107, 106.905091, 107.87, 1, "[Kr] 4d10 5s1"},              // 47
    {"Cd", "cadmium", 114, 113.903367, 112.4, 2, "[Kr] 4d10 5s2"},              // 48
    {"In", "indium", 115, 114.903875, 114.82, 3, "[Kr] 4d10 5s2 5p1"},          // 49
    {"Sn", "tin", 120, 119.902207, 118.69, 4, "[Kr] 4d10 5s2 5p2"},             // 50
    {"Sb", "antimony", 121, 120.903822, 121.75, 5, "[Kr] 4d10 5s2 5p3"},        // 51
    {"Te", "tellurium", 130, 129.906232, 127.6, 6, "[Kr] 4d10 5s2 5p4"},        // 52
    {"I", "iodine", 127, 126.904476, 126.9044, 7, "[Kr] 4d10 5s2 5p5"},         // 53
    {"Xe", "xenon", 132, 131.904157, 131.3, 8, "[Kr] 4d10 5s2 5p6"},            // 54
    {"Cs", "cesium", 133, 132.905436, 132.905, 1, "[Xe] 6s1"},                  // 55
    {"Ba", "barium", 138, 137.905235, 137.34, 2, "[Xe] 6s2"},                   // 56
    {"La", "lanthanum", 139, 138.906403, 138.91, 2, "[Xe] 5d1 6s2"},            // 57
    {"Ce", "cerium", 140, 139.905484, 140.12, 2, "[Xe] 4f1 5d1 6s2"},           // 58
    {"Pr", "praseodymium", 141, 140.907698, 140.907, 2, "[Xe] 4f3 6s2"},        // 59
    {"Nd", "neodymium", 142, 141.907766, 144.24, 2, "[Xe] 4f4 6s2"},            // 60
    {"Pm", "prometium", 145, 144.9127, 0, 2, "[Xe] 4f5 6s2"},                   // 61
    {"Sm", "samarium", 152, 151.919755, 150.35, 2, "[Xe] 4f6 6s2"},             // 62
    {"Eu", "europium", 153, 152.92126, 151.96, 2, "[Xe] 4f7 6s2"},              // 63
    {"Gd", "gadolinium", 158, 157.924123, 157.25, 2, "[Xe] 4f7 5d1 6s2"},       // 64
    {"Tb", "terbium", 159, 158.925386, 158.924, 2, "[Xe] 4f9 6s2"},             // 65
    {"Dy", "dysprosium", 164, 163.929218, 162.5, 2, "[Xe] 4f10 6s2"},           // 66
    {"Ho", "holmium", 165, 164.930357, 164.93, 2, "[Xe] 4f11 6s2"},             // 67
    {"Er", "erbium", 166, 165.930324, 167.26, 2, "[Xe] 4f12 6s2"},              // 68
    {"Tm", "thulium", 169, 168.934245, 168.934, 2, "[Xe] 4f13 6s2"},            // 69
    {"Yb", "ytterbium", 174, 173.938881, 173.04, 2, "[Xe] 4f14 6s2"},           // 70
    {"Lu", "lutetium", 175, 174.940796, 174.97, 2, "[Xe] 4f14 5d1 6s2"},        // 71
    {"Hf", "hafnium", 180, 179.946575, 178.49, 2, "[Xe] 4f14 5d2 6s2"},         // 72
    {"Ta", "tantalum", 181, 180.948028, 180.948, 2, "[Xe] 4f14 5d3 6s2"},       // 73
    {"W", "tungsten", 184, 183.950975, 183.85, 2, "[Xe] 4f14 5d4 6s2"},         // 74
    {"Re", "rhenium", 187, 186.955791, 186.2, 2, "[Xe] 4f14 5d5 6s2"},          // 75
    {"Os", "osmium", 192, 191.961514, 190.2, 2, "[Xe] 4f14 5d6 6s2"},           // 76
    {"Ir", "iridium", 193, 192.962964, 192.2, 2, "[Xe] 4f14 5d7 6s2"},          // 77
    {"Pt", "platinum", 195, 194.964804, 195.09, 1, "[Xe] 4f14 5d9 6s1"},        // 78
    {"Au", "gold", 197, 196.966548, 196.967, 1, "[Xe] 4f14 5d10 6s1"},          // 79
    {"Hg", "mercury", 202, 201.970643, 200.59, 2, "[Xe] 4f14 5d10 6s2"},        // 80
    {"Tl", "thallium", 205, 204.974438, 204.37, 3, "[Xe] 4f14 5d10 6s2 6p1"},   // 81
    {"Pb", "lead", 208, 207.976658, 207.19, 4, "[Xe] 4f14 5d10 6s2 6p2"},       // 82
    {"Bi", "bismuth", 209, 208.980401, 208.98, 5, "[Xe] 4f14 5d10 6s2 6p3"},    // 83
    {"Po", "polonium", 209, 208.9825, 0, 6, "[Xe] 4f14 5d10 6s2 6p4"},          // 84
    {"At", "astatine", 211, 210.9875, 0, 7, "[Xe] 4f14 5d10 6s2 6p5"},          // 85
    {"Rn", "radon", 222, 222.0175, 0, 8, "[Xe] 4f14 5d10 6s2 6p6"},             // 86
    {"Fr", "francium", 223, 223.0198, 0, 1, "[Rn] 7s1"},                        // 87
    {"Ra", "radium", 226, 226.0254, 0, 2, "[Rn] 7s2"},                          // 88
    {"Ac", "actinum", 227, 227.0278, 0, 2, "[Rn] 6d1 7s2"},                     // 89
    {"Th", "thorium", 232, 232.038074, 232.038, 2, "[Rn] 6d2 7s2"},             // 90
    {"Pa", "protactinium", 231, 231.035884, 231.03588, 2, "[Rn] 5f2 6d1 7s2"},  // 91
    {"U", "uranium", 238, 238.050816, 238.03, 2, "[Rn] 5f3 6d1 7s2"},           // 92
    {"Np", "neptunium", 237, 237.048, 0, 2, "[Rn] 5f4 6d1 7s2"},                // 93
    {"Pu", "plutonium", 244, 244.06, 0, 2, "[Rn] 5f6 7s2"},                     // 94
    {"Am", "americium", 243, 243.0614, 0, 2, "[Rn] 5f7 7s2"},                   // 95
    {"Cm", "curium", 247, 247.07, 0, 2, "[Rn] 5f7 6d1 7s2"},                    // 96
    {"Bk", "berkelium", 247, 247.0702, 0, 2, "[Rn] 5f9 7s2"},                   // 97
    {"Cf", "californium", 251, 251.079, 0, 2, "[Rn] 5f10 7s2"},                 // 98
    {"Es", "einsteinium", 254, 254.0881, 0, 2, "[Rn] 5f11 7s2"},                // 99
    {"Fm", "fermium", 257, 257.093, 0, 2, "[Rn] 5f12 7s2"},                     // 100
    {"Md", "mendelevium", 257, 257.094, 0, 2, "[Rn] 5f13 7s2"},                 // 101
    {"No", "nobelium", 255, 255.0932, 0, 2, "[Rn] 5f14 7s2"},                   // 102
    {"Lr", "lawrencium", 256, 256.0986, 0, 2, "[Rn] 5f14 6d1 7s2"},             // 103
}};

// Pauling's radii; B after Mantina et al. (2009), Si after Bondi (1964).
constexpr std::array<int16_t, 54> kVdwRadii = {{
    0,                                               // neutral
    120, 0,                                          // H, He
    0,   0, 192, 180, 150, 140, 135, 0,              // Li .. Ne
    0,   0, 0,   210, 190, 185, 180, 0,              // Na .. Ar
    0,   0, 0,   0,   0,   0,   0,   0, 0, 0, 0, 0,  // K .. Zn
    0,   0, 200, 200, 195, 0,                        // Ga .. Kr
    0,   0, 0,   0,   0,   0,   0,   0, 0, 0, 0, 0,  // Rb .. Cd
    0,   0, 220, 220, 215,                           // In .. I
}};

// clang-format off
constexpr std::array<uint8_t, kGridCols * kGridRows> kPerSysGrid = {{
     1,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  2,
     3,  4,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  5,  6,  7,  8,  9, 10,
    11, 12,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0, 13, 14, 15, 16, 17, 18,
    19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36,
    37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54,
    55, 56, 57, 72, 73, 74, 75, 76, 77, 78, 79, 80, 81, 82, 83, 84, 85, 86,
    87, 88, 89,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
     0,  0,  0,  0, 58, 59, 60, 61, 62, 63, 64, 65, 66, 67, 68, 69, 70, 71,
     0,  0,  0,  0, 90, 91, 92, 93, 94, 95, 96, 97, 98, 99,100,101,102,103,
}};
// clang-format on

// K, L, M in keV for Z 4..92.
constexpr std::array<TXRayRow, kLastXRayZ - kFirstXRayZ + 1> kXRayLines = {{
    {0.11, 0, 0},        // 4
    {0.183, 0, 0},       // 5
    {0.277, 0, 0},       // 6
    {0.392, 0, 0},       // 7
    {0.525, 0, 0},       // 8
    {0.677, 0, 0},       // 9
    {0.848, 0, 0},       // 10
    {1.041, 0, 0},       // 11
    {1.253, 0, 0},       // 12
    {1.486, 0, 0},       // 13
    {1.739, 0, 0},       // 14
    {2.013, 0, 0},       // 15
    {2.307, 0, 0},       // 16
    {2.621, 0, 0},       // 17
    {2.957, 0, 0},       // 18
    {3.312, 0, 0},       // 19
    {3.69, 0, 0},        // 20
    {4.088, 0.395, 0},   // 21
    {4.508, 0.452, 0},   // 22
    {4.949, 0.511, 0},   // 23
    {5.411, 0.573, 0},   // 24
    {5.894, 0.637, 0},   // 25
    {6.398, 0.705, 0},   // 26
    {6.924, 0.776, 0},   // 27
    {7.471, 0.851, 0},   // 28
    {8.04, 0.93, 0},     // 29
    {8.63, 1.012, 0},    // 30
    {9.241, 1.098, 0},   // 31
    {9.874, 1.188, 0},   // 32
    {10.53, 1.282, 0},   // 33
    {11.207, 1.379, 0},  // 34
    {11.907, 1.48, 0},   // 35
    {12.631, 1.586, 0},  // 36
    {13.373, 1.694, 0},  // 37
    {14.14, 1.806, 0},   // 38
    {14.931, 1.922, 0},  // 39
    {15.744, 2.042, 0},  // 40
    {16.581, 2.166, 0},  // 41
    {17.441, 2.293, 0},  // 42
    {18.325, 2.424, 0},  // 43
    {19.233, 2.558, 0},  // 44
    {0, 2.696, 0},       // 45
    {0, 2.838, 0},       // 46
    {0, 2.984, 0},       // 47
    {0, 3.133, 0},       // 48
    {0, 3.286, 0.368},   // 49
    {0, 3.443, 0.691},   // 50
    {0, 3.604, 0.733},   // 51
    {0, 3.769, 0.778},   // 52
    {0, 3.937, 0},       // 53
    {0, 4.109, 0},       // 54
    {0, 4.286, 0},       // 55
    {0, 4.465, 0.972},   // 56
    {0, 4.65, 0.833},    // 57
    {0, 4.839, 0.883},   // 58
    {0, 5.033, 0.929},   // 59
    {0, 5.229, 0.978},   // 60
    {0, 5.432, 0},       // 61
    {0, 5.635, 1.081},   // 62
    {0, 5.845, 1.131},   // 63
    {0, 6.056, 1.185},   // 64
    {0, 6.272, 1.24},    // 65
    {0, 6.494, 1.293},   // 66
    {0, 6.719, 1.347},   // 67
    {0, 6.947, 1.405},   // 68
    {0, 7.179, 1.462},   // 69
    {0, 7.414, 1.521},   // 70
    {0, 7.654, 1.581},   // 71
    {0, 7.898, 1.644},   // 72
    {0, 8.145, 1.709},   // 73
    {0, 8.396, 1.774},   // 74
    {0, 8.651, 1.842},   // 75
    {0, 8.91, 1.914},    // 76
    {0, 9.174, 1.977},   // 77
    {0, 9.441, 2.048},   // 78
    {0, 9.712, 2.12},    // 79
    {0, 9.987, 2.195},   // 80
    {0, 10.267, 2.267},  // 81
    {0, 10.55, 2.342},   // 82
    {0, 10.837, 2.419},  // 83
    {0, 11.129, 0},      // 84
    {0, 11.425, 0},      // 85
    {0, 11.725, 0},      // 86
    {0, 12.029, 0},      // 87
    {0, 12.34, 0},       // 88
    {0, 12.65, 0},       // 89
    {0, 12.967, 2.991},  // 90
    {0, 13.288, 3.077},  // 91
    {0, 13.612, 3.164},  // 92
}};

constexpr std::array<std::string_view, 128> kNameFragments = {{
    "benzoyl", "deutero", "methoxy", "hydroxy", "bicyclo", "aldehyd", "phospho", "carboxy",
    "mercapt", "salicyl", "benzyl",  "methyl",  "propyl",  "naphth",  "ethoxy",  "sulfid",
    "phenyl",  "acetyl",  "formyl",  "anthra",  "chinon",  "pentyl",  "heptyl",  "saeure",
    "nitril",  "nitrid",  "phosph",  "sulfon",  "pyrrol",  "phthal",  "styrol",  "erythr",
    "butyl",   "ethyl",   "indol",   "nitro",   "amino",   "chlor",   "ether",   "fluor",
    "allyl",   "tetra",   "penta",   "hepta",   "furan",   "hydro",   "cyano",   "hexyl",
    "octyl",   "epoxy",   "cyclo",   "ester",   "inden",   "pyren",   "lacto",   "menth",
    "silic",   "quino",   "piper",   "malon",   "stear",   "xanth",   "xylol",   "vinyl",
    "ortho",   "ammon",   "thren",   "alpha",   "gamma",   "gluc",    "brom",    "imid",
    "mono",    "hexa",    "octa",    "nona",    "deca",    "glyc",    "thio",    "carb",
    "oxim",    "dien",    "semi",    "acid",    "tolu",    "tert",    "anil",    "para",
    "meta",    "acet",    "pyri",    "oxid",    "amid",    "amin",    "phen",    "benz",
    "oxal",    "keto",    "prop",    "tere",    "prog",    "terp",    "quin",    "meth",
    "imin",    "fruc",    "ilid",    "hydr",    "beta",    "oxy",     "per",     "ose",
    "oyl",     "iod",     "lin",     "sil",     "tri",     "iso",     "oxo",     "bis",
    "azo",     "yl",      "on",      "en",      "an",      "ol",      "di",      "in",
}};

// Exact masses of common labelling isotopes (RDKit 2022.09 isotope table).
constexpr std::array<TIsotopeRow, 47> kIsotopes = {{
    {1, 2, 2.0141018},       // 2H
    {1, 3, 3.0160493},       // 3H
    {2, 3, 3.0160293},       // 3He
    {3, 6, 6.0151228},       // 6Li
    {5, 10, 10.0129370},     // 10B
    {6, 11, 11.0114336},     // 11C
    {6, 13, 13.0033548},     // 13C
    {6, 14, 14.0032420},     // 14C
    {7, 15, 15.0001089},     // 15N
    {8, 17, 16.9991317},     // 17O
    {8, 18, 17.9991610},     // 18O
    {9, 18, 18.0009380},     // 18F
    {12, 25, 24.9858369},    // 25Mg
    {12, 26, 25.9825929},    // 26Mg
    {14, 29, 28.9764947},    // 29Si
    {14, 30, 29.9737702},    // 30Si
    {15, 32, 31.9739073},    // 32P
    {16, 33, 32.9714588},    // 33S
    {16, 34, 33.9678669},    // 34S
    {16, 35, 34.9690322},    // 35S
    {16, 36, 35.9670808},    // 36S
    {17, 37, 36.9659026},    // 37Cl
    {19, 41, 40.9618258},    // 41K
    {20, 42, 41.9586180},    // 42Ca
    {20, 44, 43.9554818},    // 44Ca
    {24, 50, 49.9460442},    // 50Cr
    {24, 53, 52.9406494},    // 53Cr
    {26, 54, 53.9396105},    // 54Fe
    {26, 57, 56.9353940},    // 57Fe
    {29, 65, 64.9277895},    // 65Cu
    {30, 66, 65.9260334},    // 66Zn
    {30, 68, 67.9248442},    // 68Zn
    {34, 77, 76.9199140},    // 77Se
    {34, 78, 77.9173091},    // 78Se
    {35, 81, 80.9162906},    // 81Br
    {36, 86, 85.9106107},    // 86Kr
    {43, 99, 98.9062547},    // 99Tc
    {53, 123, 122.9055890},  // 123I
    {53, 125, 124.9046302},  // 125I
    {53, 131, 130.9061246},  // 131I
    {80, 199, 198.9682799},  // 199Hg
    {80, 200, 199.9683260},  // 200Hg
    {82, 204, 203.9730436},  // 204Pb
    {82, 206, 205.9744653},  // 206Pb
    {82, 207, 206.9758969},  // 207Pb
    {92, 234, 234.0409521},  // 234U
    {92, 235, 235.0439299},  // 235U
}};

}  // namespace cdata_detail

using namespace cdata_detail;

namespace {

constexpr bool ValidZ(int32_t Z) { return Z >= 1 && Z <= kMaxAtomicNumber; }

const TElementRow& Row(int32_t Z) { return kElements[ValidZ(Z) ? static_cast<size_t>(Z) : 0]; }

// Position of Z in the grid, -1 when absent.
constexpr int32_t GridIndex(int32_t Z) {
  for (int32_t i = 0; i < kGridCols * kGridRows; ++i)
    if (kPerSysGrid[static_cast<size_t>(i)] == Z) return i;
  return -1;
}

constexpr uint8_t kEscape = 0x1B;

}  // namespace

// ---------------------------------------------------------------------------
// Element table
// ---------------------------------------------------------------------------

std::string CElemSymb(int32_t Z) { return std::string(Row(Z).Symbol); }

std::string CElemName(int32_t Z) { return std::string(Row(Z).Name); }

int32_t AtomicNumber(std::string_view Symbol) {
  if (Symbol.empty()) return 0;
  for (int32_t z = 1; z <= kMaxAtomicNumber; ++z)
    if (kElements[static_cast<size_t>(z)].Symbol == Symbol) return z;
  return 0;
}

int32_t IntAtWeight(int32_t Z) { return Row(Z).MassNumber; }

double ExactAtWeight(int32_t Z) { return Row(Z).ExactMass; }

double ChemAtWeight(int32_t Z) { return Row(Z).ChemWeight; }

int32_t NumOuterElectrons(int32_t Z) { return Row(Z).OuterElectrons; }

std::string ShortElectronConfig(int32_t Z) { return std::string(Row(Z).Config); }

std::string FullElectronConfig(int32_t Z) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 6> kCores = {{
      {"[He]", "1s2"},
      {"[Ne]", "1s2 2s2 2p6"},
      {"[Ar]", "1s2 2s2 2p6 3s2 3p6"},
      {"[Kr]", "1s2 2s2 2p6 3s2 3p6 3d10 4s2 4p6"},
      {"[Xe]", "1s2 2s2 2p6 3s2 3p6 3d10 4s2 4p6 4d10 5s2 5p6"},
      {"[Rn]", "1s2 2s2 2p6 3s2 3p6 3d10 4s2 4p6 4d10 5s2 5p6 4f14 5d10 6s2 6p6"},
  }};
  const std::string_view config = Row(Z).Config;
  for (const auto& [core, expansion] : kCores)
    if (config.starts_with(core))
      return std::string(expansion) + std::string(config.substr(core.size()));
  return std::string(config);
}

// ---------------------------------------------------------------------------
// Isotopes
// ---------------------------------------------------------------------------

double IsotopeExactMass(int32_t Z, int32_t A) {
  if (!ValidZ(Z) || A < 1) return 0.0;
  const TElementRow& row = kElements[static_cast<size_t>(Z)];
  if (A == row.MassNumber) return row.ExactMass;
  for (const TIsotopeRow& iso : kIsotopes)
    if (iso.Z == Z && iso.A == A) return iso.Mass;
  // One 13C-12C mass difference per neutron: near the valley of stability
  // the binding-energy change per neutron keeps this within about 0.01 u.
  constexpr double kNeutronStep = 1.003355;
  return std::max(0.0, row.ExactMass + (A - row.MassNumber) * kNeutronStep);
}

// ---------------------------------------------------------------------------
// Radii and grid
// ---------------------------------------------------------------------------

double VDWRadius(int32_t Z) {
  if (Z < 1 || Z >= static_cast<int32_t>(kVdwRadii.size())) return 0.0;
  return kVdwRadii[static_cast<size_t>(Z)] / 100.0;
}

bool TryPerSysCoord(int32_t Z, int32_t& Col, int32_t& Row) {
  Col = 0;
  Row = 0;
  if (!ValidZ(Z)) return false;
  const int32_t i = GridIndex(Z);
  if (i < 0) return false;
  Col = i % kGridCols;
  Row = i / kGridCols;
  return true;
}

void PerSysCoord(int32_t Z, int32_t& Col, int32_t& Row) { TryPerSysCoord(Z, Col, Row); }

// ---------------------------------------------------------------------------
// X-ray lines
// ---------------------------------------------------------------------------

int32_t GetEDXLines(int32_t Z, double& KLine, double& LLine, double& MLine) {
  KLine = 0.0;
  LLine = 0.0;
  MLine = 0.0;
  if (Z < kFirstXRayZ || Z > kLastXRayZ) return -1;
  const TXRayRow& r = kXRayLines[static_cast<size_t>(Z - kFirstXRayZ)];
  KLine = r.K;
  LLine = r.L;
  MLine = r.M;
  return (r.K > 0) + (r.L > 0) + (r.M > 0);
}

int32_t GetEDXLines(double Low, double High, TDoubleArray& Energies, TIntArray& AtNums) {
  Energies.clear();
  AtNums.clear();
  if (Low > High) std::swap(Low, High);
  std::vector<std::pair<double, int32_t>> found;
  for (int32_t z = kFirstXRayZ; z <= kLastXRayZ; ++z) {
    const TXRayRow& r = kXRayLines[static_cast<size_t>(z - kFirstXRayZ)];
    for (double e : {r.K, r.L, r.M})
      if (e > 0 && e >= Low && e <= High) found.emplace_back(e, z);
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  Energies.reserve(found.size());
  AtNums.reserve(found.size());
  for (const auto& [e, z] : found) {
    Energies.push_back(e);
    AtNums.push_back(z);
  }
  return static_cast<int32_t>(found.size());
}

// ---------------------------------------------------------------------------
// Compressed names
// ---------------------------------------------------------------------------

std::string CompressChemName(std::string_view Name) {
  std::string s;
  s.reserve(Name.size());
  for (char c : Name) {
    const auto b = static_cast<uint8_t>(c);
    if (b >= 0x80 || b == kEscape) {
      s.push_back(static_cast<char>(kEscape));
      s.push_back(c);
    } else {
      s.push_back((c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c);
    }
  }
  // Fragments are ASCII letters, while codes and escaped bytes are not, so a
  // replacement can neither create a new match nor split an escape pair.
  for (size_t k = 0; k < kNameFragments.size(); ++k) {
    const std::string_view frag = kNameFragments[k];
    if (s.find(frag) == std::string::npos) continue;
    const char code = static_cast<char>(128 + k);
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
      if (static_cast<uint8_t>(s[i]) == kEscape && i + 1 < s.size()) {
        out.append(s, i, 2);
        i += 2;
      } else if (std::string_view(s).substr(i, frag.size()) == frag) {
        out.push_back(code);
        i += frag.size();
      } else {
        out.push_back(s[i]);
        ++i;
      }
    }
    s = std::move(out);
  }
  return s;
}

std::string DeCompressChemName(std::string_view Compressed) {
  std::string out;
  out.reserve(Compressed.size() * 2);
  for (size_t i = 0; i < Compressed.size(); ++i) {
    const auto b = static_cast<uint8_t>(Compressed[i]);
    if (b == kEscape && i + 1 < Compressed.size()) {
      out.push_back(Compressed[++i]);
    } else if (b >= 0x80) {
      out.append(kNameFragments[b - 0x80]);
    } else {
      out.push_back(Compressed[i]);
    }
  }
  return out;
}

}  // namespace zel
