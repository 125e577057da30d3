// Whole reports of three complete harmonic runs, checked line by line with
// their graphic data files: a circular footing and an eccentric rectangular
// block on a half-space, and a rectangular footing embedded in a stratum over
// rock.
//
// The expected files are built here and owe nothing to the engine's output:
// the fixed text is written out from the report layouts, and every number is
// computed again in double precision (equivalent radii, impedance functions,
// the move to the centre of gravity, the damping factor, the equations of
// motion and their complex solution) and then put into the report's fields.
// The engine computes in single precision, so numbers are compared with a
// tolerance while everything else in a line must match exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "engine/report/report_format.hpp"
#include "support/engine_run.hpp"

namespace terva::test {
namespace {

using Cx = std::complex<double>;
using Matrix = std::array<std::array<Cx, 6>, 6>;  // [i][j], rows and columns from 0

// A printed number agrees when |got - expected| <= kRelative * |expected|
// + one unit in the last printed digit + the line's absolute floor.
constexpr double kRelative = 1e-4;
// Floor of a response row: this fraction of the largest amplitude in the row.
constexpr double kResponseFloor = 1e-6;

// ---------------------------------------------------------------------------
// The three problems

enum class Soil { kHalfSpace, kStratum };

struct Problem {
  std::string title;
  double gravity;
  Soil soil;
  bool circular;
  double b1, b2;                 // rectangle: plan dimensions along X and Y
  double radius;                 // circle
  std::array<double, 7> mass;    // M, Ixx, Iyy, Izz, Ixy, Ixz, Iyz
  double xcg, ycg, hcg;          // centre of gravity
  double embedment, depth;       // stratum only
  double vs, unit_weight, nu, damping;
  bool quadratic;
  double fmax, fmin, fstep;      // rad/s
  std::array<double, 6> load;
};

const Problem kCircularHalfSpace{
    .title = "CIRCULAR BLOCK ON A HALF-SPACE",
    .gravity = 32.2, .soil = Soil::kHalfSpace, .circular = true, .b1 = 0, .b2 = 0, .radius = 5.0,
    .mass = {200.0, 5000.0, 5200.0, 8000.0, 0.0, 0.0, 0.0},
    .xcg = 0.0, .ycg = 0.0, .hcg = 2.5, .embedment = 0, .depth = 0,
    .vs = 600.0, .unit_weight = 115.0, .nu = 0.33, .damping = 0.05,
    .quadratic = true, .fmax = 60.0, .fmin = 20.0, .fstep = 20.0,
    .load = {0.5, 0.0, 0.3, 0.0, 0.8, 0.2}};

// Centre of gravity off the centre in plan and above the base, products of
// inertia, ν above 0.4: every degree of freedom is coupled to every other.
const Problem kEccentricRectangle{
    .title = "ECCENTRIC PUMP BLOCK ON A HALF-SPACE",
    .gravity = 9.81, .soil = Soil::kHalfSpace, .circular = false, .b1 = 6.0, .b2 = 4.0, .radius = 0,
    .mass = {120.0, 300.0, 520.0, 700.0, 20.0, -15.0, 10.0},
    .xcg = 0.3, .ycg = -0.2, .hcg = 1.5, .embedment = 0, .depth = 0,
    .vs = 250.0, .unit_weight = 19.0, .nu = 0.42, .damping = 0.04,
    .quadratic = false, .fmax = 60.0, .fmin = 30.0, .fstep = 30.0,
    .load = {50.0, 20.0, 100.0, 30.0, 40.0, 10.0}};

// The first stratum frequency lies near 36.6 rad/s and the second near
// 68.5 rad/s, so the three frequencies see all three sets of damping factors.
const Problem kEmbeddedStratum{
    .title = "FAN FOUNDATION EMBEDDED IN A STRATUM OVER ROCK",
    .gravity = 32.2, .soil = Soil::kStratum, .circular = false, .b1 = 12.0, .b2 = 8.0, .radius = 0,
    .mass = {300.0, 4000.0, 6500.0, 9000.0, 0.0, 0.0, 0.0},
    .xcg = 0.5, .ycg = 0.0, .hcg = 4.0, .embedment = 3.0, .depth = 30.0,
    .vs = 700.0, .unit_weight = 120.0, .nu = 0.3, .damping = 0.05,
    .quadratic = false, .fmax = 80.0, .fmin = 20.0, .fstep = 30.0,
    .load = {2000.0, 0.0, 5000.0, 0.0, 3000.0, 1000.0}};

std::string Num(double v) {
  std::ostringstream s;
  s << v;
  return s.str();
}

std::string List(const double* v, size_t n) {
  std::string out;
  for (size_t i = 0; i < n; ++i) out += (i ? ", " : "") + Num(v[i]);
  return out;
}

std::string Input(const Problem& p) {
  std::ostringstream s;
  s << "TITLE\n" << p.title << "\nECHO\nMATRIX\nGRAVITY=" << Num(p.gravity) << "\n";
  s << "FOUNDATION=" << (p.soil == Soil::kStratum ? "STRATUM" : "HALF-SPACE") << "\n";
  if (p.circular)
    s << "CIRCULAR=" << Num(p.radius) << "\n";
  else
    s << "RECTANGULAR=" << Num(p.b1) << ", " << Num(p.b2) << "\n";
  s << "MASS=" << List(p.mass.data(), 7) << "\n";
  s << "CONSTANTS=" << Num(p.xcg) << ", " << Num(p.ycg) << ", " << Num(p.hcg);
  if (p.soil == Soil::kStratum) s << ", " << Num(p.embedment) << ", " << Num(p.depth);
  const double soil[] = {p.vs, p.unit_weight, p.nu, p.damping};
  if (p.soil == Soil::kStratum)
    s << "\nSOIL\nCONSTANTS=" << List(soil, 4) << "\n";
  else
    s << "\nSOIL\nCONSTANTS\n0                 $ no side layers\nBELOW=" << List(soil, 4) << "\n";
  s << "LOAD=HARMONIC\nCONSTANTS\n" << (p.quadratic ? "QUADRATIC" : "NONQUADRATIC") << "\n";
  s << Num(p.fmax) << ", " << Num(p.fmin) << ", " << Num(p.fstep) << "\n" << List(p.load.data(), 6) << "\nRUN\n";
  return s.str();
}

// ---------------------------------------------------------------------------
// Unit labels, blank-padded to their field widths

struct Units {
  std::string length, moment, force, unit_weight, acceleration, velocity, mass, inertia;
  std::string k_trans, k_rot, k_cross, c_trans, c_rot, c_cross, mass_length;
};

const Units kEnglish{"ft", "lb-ft", "lb ", "lb/ft**3", "ft/s**2", "ft/s", "slug", "slug-ft**2",
                     "lb/ft", "lb-ft/rad", "lb/rad", "lb/ft/sec", "lb-ft/rad/se", "lb/rad/sec", "slug-ft"};
const Units kSI{"m ", "kN-m ", "kN.", "kN/m**3 ", "m/s**2 ", "m/s ", "Mg  ", "Mg-m**2   ",
                "kN/m ", "kN-m/rad ", "kN/rad", "kN/m/sec ", "kN-m/rad/sec", "kN/rad/sec", "Mg-m   "};

const Units& UnitsOf(const Problem& p) { return p.gravity > 10.0 ? kEnglish : kSI; }

// ---------------------------------------------------------------------------
// Independent double-precision mechanics

constexpr double kPi = 3.14159;  // the stored constant of the radii and stratum frequencies

struct Radii {
  double r0, rx, ry, rt;  // translation, rocking about X, rocking about Y, torsion
};

Radii EquivalentRadii(const Problem& p) {
  if (p.circular) return {p.radius, p.radius, p.radius, p.radius};
  const double a = p.b1, b = p.b2;
  return {std::sqrt(a * b / kPi), std::pow(b * b * b * a / (3 * kPi), 0.25), std::pow(a * a * a * b / (3 * kPi), 0.25),
          std::pow((a * a + b * b) * a * b / (6 * kPi), 0.25)};
}

// Element matrix of a footing on a half-space, at the base.
Matrix HalfSpaceElement(const Problem& p, double omega) {
  const Radii r = EquivalentRadii(p);
  const double nu = p.nu, D = p.damping, a0 = r.r0 * omega / p.vs;
  const bool low = nu < 0.4;
  const double alpha = low ? 0.65 : 0.6, b1 = low ? 0.5 : 0.4, b2 = 0.8, b3 = low ? 0.0 : 0.027;
  const double g1 = low ? 0.35 : 0.0, g2 = low ? 0.8 : 0.0, g3 = low ? 0.0 : 0.17, g4 = low ? 0.75 : 0.85;
  const double s = std::sqrt(1 + D * D), pp = std::sqrt((s - 1) / 2), q = std::sqrt((s + 1) / 2);

  const Cx horizontal = 8 / (2 - nu) * Cx(1 - alpha * a0 * pp, alpha * a0 * q + D);
  const double gv = g2 * a0, dv = s + 2 * gv * pp + gv * gv;
  const Cx vertical = 4 / (1 - nu) * Cx(1 - g1 * (gv * pp + s) * gv * gv / dv - g4 * a0 * pp - g3 * a0 * a0,
                                        a0 * (g4 * q + g1 * g2 * q * gv * gv / dv) + D);
  auto rocking = [&](double a) {
    const double ba = b2 * a, dr = s + 2 * ba * pp + ba * ba;
    return 8 / (3 * (1 - nu)) * Cx(1 - b1 * (ba * pp + s) * ba * ba / dr - b3 * a * a, a * b1 * b2 * q * ba * ba / dr + D);
  };
  const double at = a0 * r.rt / r.r0, ta = 0.687 * at, dt = s + 2 * ta * pp + ta * ta;
  const Cx torsion = 16.0 / 3 * Cx(1 - 0.425 * (ta * pp + s) * ta * ta / dt, at * 0.291975 * q * ta * ta / dt + D);

  const double G = p.vs * p.vs * p.unit_weight / p.gravity;
  Matrix e{};
  e[0][0] = e[1][1] = G * r.r0 * horizontal;
  e[2][2] = G * r.r0 * vertical;
  e[3][3] = G * std::pow(r.rx, 3) * rocking(a0 * r.rx / r.r0);
  e[4][4] = G * std::pow(r.ry, 3) * rocking(a0 * r.ry / r.r0);
  e[5][5] = G * std::pow(r.rt, 3) * torsion;
  return e;
}

// Element matrix of a footing embedded in a stratum over rock, at the base.
Matrix StratumElement(const Problem& p, double omega) {
  const Radii r = EquivalentRadii(p);
  const double nu = p.nu, D = p.damping, beta = D / 2, E = p.embedment, H = p.depth;
  const double rho = p.unit_weight / p.gravity, G = rho * p.vs * p.vs, lambda = 2 * G * nu / (1 - 2 * nu);
  const double vp = std::sqrt((lambda + 2 * G) / rho);
  const double f = omega / (2 * kPi), rs = f / (p.vs / (4 * H)), rp = f / (vp / (4 * H));
  const double a0 = omega * r.r0 / p.vs, ax = omega * r.rx / p.vs, ay = omega * r.ry / p.vs, at = omega * r.rt / p.vs;
  const double rv = r.r0;

  const double kh = 8 * G * r.r0 / (2 - nu) * (1 + r.r0 / (2 * H)) * (1 + 2 * E / (3 * r.r0)) * (1 + 1.25 * E / H);
  const double kv = 4 * G * rv / (1 - nu) * (1 + 1.28 * rv / H) * (1 + 0.47 * E / rv) *
                    (1 + (0.85 - 0.28 * E / rv) * (E / H) / (1 - E / H));
  auto kr = [&](double R) { return 8 * G * R * R * R / (3 * (1 - nu)) * (1 + R / (6 * H)) * (1 + 2 * E / R) * (1 + 0.7 * E / H); };
  const double kt = 16 * G * std::pow(r.rt, 3) / 3 * (1 + 2.67 * E / r.rt);
  const double kcx = (0.4 * E / r.rx - 0.03) * r.rx * kh, kcy = (0.4 * E / r.ry - 0.03) * r.ry * kh;

  double ch = 0, ct = 0, crx = 0, cry = 0, cv = 0;
  if (rs <= 1) ch = 0.65 * beta * rs / (1 - (1 - D) * rs * rs), ct = ch * 3 / 13;
  if (rp <= 1) crx = 0.5 * beta * rp / (1 - (1 - D) * rp * rp), cry = crx, cv = 1.34 * crx;
  if (rs > 1) ch = 0.6, ct = 0.3 * at * at / (at * at + 2);
  if (rp > 1) cv = 0.85, crx = 0.3 * ax * ax / (ax * ax + 1), cry = 0.3 * ay * ay / (ay * ay + 1);
  double krx = ax < 2.5 ? 1 - 0.2 * ax : 0.5, kry = ay < 2.5 ? 1 - 0.2 * ay : 0.5;
  if (nu >= 0.45) krx = 1 - 0.2 * ax, kry = 1 - 0.2 * ay;
  const double ktf = at < 3 ? 1 - 0.133 * at : 0.6;

  const Cx material(1, D);
  Matrix e{};
  e[0][0] = e[1][1] = kh * Cx(1, a0 * ch) * material;
  e[2][2] = kv * Cx(1, a0 * cv) * material;
  e[1][3] = e[3][1] = kcx * Cx(1, a0 * ch) * material;
  e[0][4] = e[4][0] = -kcy * Cx(1, a0 * ch) * material;
  e[3][3] = kr(r.rx) * Cx(krx, ax * crx) * material;
  e[4][4] = kr(r.ry) * Cx(kry, ay * cry) * material;
  e[5][5] = kt * Cx(ktf, at * ct) * material;
  return e;
}

// The foundation impedance at the centre of gravity, Tᵀ·E·T, with the
// damping of the diagonal and of the (2,4) and (5,1) entries taken at 70 %.
Matrix ImpedanceAtCentreOfGravity(const Problem& p, double omega) {
  const Matrix e = p.soil == Soil::kStratum ? StratumElement(p, omega) : HalfSpaceElement(p, omega);
  double t[6][6] = {};
  for (int i = 0; i < 6; ++i) t[i][i] = 1;
  t[0][4] = -p.hcg;
  t[1][3] = p.hcg;
  t[0][5] = p.ycg;
  t[1][5] = -p.xcg;
  t[2][3] = -p.ycg;
  t[2][4] = p.xcg;
  Matrix a{};
  for (int i = 0; i < 6; ++i)
    for (int j = 0; j < 6; ++j)
      for (int k = 0; k < 6; ++k)
        for (int l = 0; l < 6; ++l) a[i][j] += t[k][i] * e[k][l] * t[l][j];
  auto damp = [&](int i, int j) { a[i][j] = Cx(a[i][j].real(), 0.7 * a[i][j].imag()); };
  for (int i = 0; i < 6; ++i) damp(i, i);
  damp(1, 3);
  damp(4, 0);
  return a;
}

// Amplitudes of the six degrees of freedom: (A - ω²·M)·x = B by elimination
// with partial pivoting.
std::array<double, 6> Amplitudes(const Problem& p, Matrix a, double omega) {
  const double s = omega * omega;
  const auto& m = p.mass;
  for (int i = 0; i < 3; ++i) a[i][i] -= s * m[0];
  for (int i = 0; i < 3; ++i) a[3 + i][3 + i] -= s * m[1 + i];
  a[3][4] += s * m[4], a[4][3] += s * m[4];
  a[3][5] += s * m[5], a[5][3] += s * m[5];
  a[4][5] += s * m[6], a[5][4] += s * m[6];
  std::array<Cx, 6> b;
  for (int i = 0; i < 6; ++i) b[i] = p.load[i] * (p.quadratic ? s : 1.0);
  for (int c = 0; c < 6; ++c) {
    int pivot = c;
    for (int r = c + 1; r < 6; ++r)
      if (std::abs(a[r][c]) > std::abs(a[pivot][c])) pivot = r;
    std::swap(a[c], a[pivot]);
    std::swap(b[c], b[pivot]);
    for (int r = c + 1; r < 6; ++r) {
      const Cx f = a[r][c] / a[c][c];
      for (int k = c; k < 6; ++k) a[r][k] -= f * a[c][k];
      b[r] -= f * b[c];
    }
  }
  std::array<Cx, 6> x;
  for (int r = 5; r >= 0; --r) {
    Cx sum = b[r];
    for (int k = r + 1; k < 6; ++k) sum -= a[r][k] * x[k];
    x[r] = sum / a[r][r];
  }
  std::array<double, 6> amplitude;
  for (int i = 0; i < 6; ++i) amplitude[i] = std::abs(x[i]);
  return amplitude;
}

double Hz(double omega) { return omega * 0.5 / 3.14; }

// ---------------------------------------------------------------------------
// Expected files

struct ExpectedLine {
  std::string text;
  double floor = 0;           // absolute tolerance floor for the line's numbers
  bool free_integer = false;  // one integer in a free-format field of any width
};

class Expected {
 public:
  // A line as printed, control column included.
  void Line(std::string text, double floor = 0) { lines_.push_back({std::move(text), floor, false}); }
  // A line in the notation of the layouts: the control column is blank.
  void Text(const fmt::Line& line, double floor = 0) { Line(" " + line.str(), floor); }
  void Blank(int n = 1) {
    for (int i = 0; i < n; ++i) Line("");
  }
  void FreeInteger(long long n) { lines_.push_back({std::to_string(n), 0, true}); }
  // An echo block opens after two empty lines with its underlined heading.
  void Heading(const std::string& text, int stars) {
    Blank(2);
    Text(fmt::Line(text));
    Text(fmt::Line().Stars(stars));
  }
  const std::vector<ExpectedLine>& lines() const { return lines_; }

 private:
  std::vector<ExpectedLine> lines_;
};

using fmt::Line;

void PageHeader(Expected& out, const std::string& title, bool results) {
  const std::string side = "*" + std::string(47, ' ') + "*";
  out.Blank(3);
  out.Text(Line().Stars(49));
  out.Text(Line(side));
  out.Text(Line("*        S O I L - F O U N D A T I O N          *"));
  out.Text(Line(side));
  out.Text(Line("*     D Y N A M I C   S I M U L A T I O N       *"));
  out.Text(Line("*                    TERVA                      *"));
  out.Text(Line(side));
  out.Text(Line("*").X(13).A("RUN DATE - ").X(1).A("MM/DD/YYYY").X(12).A("*"));
  out.Text(Line("*").X(13).A("TIME     -  ").A("HH:MM:SS").X(14).A("*"));
  out.Text(Line(side));
  out.Text(Line().Stars(49));
  out.Blank();
  out.Text(Line().A(title, 80));
  out.Blank();
  if (results) {
    out.Text(Line().X(32).A("RESULTS"));
    out.Text(Line().X(32).Stars(7));
  } else {
    out.Text(Line().X(21).A("DATA ECHO"));
    out.Text(Line().X(21).Stars(9));
  }
}

void Echo(Expected& out, const Problem& p) {
  const Units& u = UnitsOf(p);
  const bool stratum = p.soil == Soil::kStratum;
  PageHeader(out, p.title, false);
  out.Heading("STIFFNESS AND DAMPING CONSTANTS TO BE PRINTED", 45);
  out.Heading(Line("GRAVITATIONAL CONSTANT SET TO").F(p.gravity, 7, 2).X(1).A(u.acceleration).str(), 44);
  out.Heading(stratum ? "FOUNDATION TYPE - STRATUM" : "FOUNDATION TYPE - HALF-SPACE", 15);
  if (p.circular)
    out.Heading(Line("CIRCULAR FOUNDATION  -  RADIUS = ").F(p.radius, 8, 3).X(1).A(u.length).str(), 19);
  else
    out.Heading(Line("RECTANGULAR FOUNDATION  -  ").F(p.b1, 8, 3).X(1).A(u.length).X(2).A("BY ").F(p.b2, 8, 3)
                    .X(1).A(u.length).str(), 22);

  out.Heading("MASS CONSTANTS", 14);
  out.Blank();
  const char* mass_labels[] = {"TOTAL MASS OF FOOTING  .........", "MASS MOMENT ABOUT X-AXIS  ......",
                               "MASS MOMENT ABOUT Y-AXIS  ......", "MASS MOMENT ABOUT Z-AXIS  ......",
                               "CROSS PRODUCT X-Y  .............", "CROSS PRODUCT X-Z  .............",
                               "CROSS PRODUCT Y-Z  ............."};
  for (int i = 0; i < 7; ++i)
    out.Text(Line(mass_labels[i]).PE(p.mass[i], 12, 5).X(1).A(i == 0 ? u.mass : u.inertia));

  const std::string constants = stratum ? "STRATUM PROPERTIES" : "HALF-SPACE FOUNDATION";
  out.Heading(constants, static_cast<int>(constants.size()));
  out.Blank();
  out.Text(Line("X-LOCATION CENTRE OF GRAV  .....").F(p.xcg, 12, 5).X(1).A(u.length));
  out.Text(Line("Y-LOCATION CENTRE OF GRAV  .....").F(p.ycg, 12, 5).X(1).A(u.length));
  out.Text(Line("HEIGHT OF CENTRE OF GRAV  ......").F(p.hcg, 12, 5).X(1).A(u.length));
  if (stratum) {
    out.Text(Line("DEPTH OF EMBEDMENT  ............").F(p.embedment, 12, 5).X(1).A(u.length));
    out.Text(Line("DEPTH OF LAYER  ................").F(p.depth, 12, 5).X(1).A(u.length));
    out.Heading("SOIL CONSTANTS", 14);
    out.Blank();
    out.Text(Line("SHEAR WAVE VELOCITY  ...........").F(p.vs, 12, 5).X(1).A(u.velocity));
    out.Text(Line("UNIT WEIGHT  ...................").F(p.unit_weight, 12, 5).X(1).A(u.unit_weight));
    out.Text(Line("POISSONS RATIO  ................").F(p.nu, 12, 5));
    out.Text(Line("MATERIAL DAMPING  ..............").F(p.damping, 12, 5));
  } else {
    // the side-layer table, here without rows
    out.Heading("SOIL CONSTANTS  NUMBER OF SIDE LAYERS - " + fmt::I(0, 3), 43);
    out.Blank();
    out.Text(Line("LAYER  LAYER  SHEAR WAVE   UNIT   POISSON'S  MATERIAL"));
    out.Text(Line(" NO.   DEPTH   VELOCITY   WEIGHT    RATIO     DAMPING"));
    // The layouts name the three unit labels of this line without placing
    // them; they stand at the ends of the DEPTH head and of the velocity and
    // weight columns.
    out.Text(Line().X(10).A(u.length).X(6).A(u.velocity).X(3).A(u.unit_weight));
    out.Heading("HALF-SPACE SOIL", 15);
    out.Blank();
    out.Text(Line("SHEAR WAVE    UNIT    POISSON'S   MATERIAL"));
    out.Text(Line(" VELOCITY    WEIGHT     RATIO     DAMPING"));
    out.Text(Line().X(4).A(u.velocity).X(6).A(u.unit_weight));
    out.Text(Line().E(p.vs, 9, 2).X(1).F(p.unit_weight, 11, 4).X(3).F(p.nu, 5, 3).X(3).F(p.damping, 7, 3));
  }

  if (p.quadratic)
    out.Heading("HARMONIC LOAD, QUADRATIC", 24);
  else
    out.Heading("HARMONIC LOAD, NON QUADRATIC", 28);
  out.Blank();
  out.Text(Line("MAXIMUM FREQUENCY ..............").E(Hz(p.fmax), 10, 3).A(" Hz"));
  out.Text(Line("MINIMUM FREQUENCY ..............").E(Hz(p.fmin), 10, 3).A(" Hz"));
  out.Text(Line("STEP FREQUENCY .................").E(Hz(p.fstep), 10, 3).A(" Hz"));
  const char* force_labels[] = {"FORCE IN X-DIRECTION  ..........", "FORCE IN Y-DIRECTION  ..........",
                                "FORCE IN Z-DIRECTION  ..........", "MOMENT ABOUT X-AXIS  ...........",
                                "MOMENT ABOUT Y-AXIS  ...........", "MOMENT ABOUT Z-AXIS  ..........."};
  const char* coefficient_labels[] = {"FORCE COEFF. IN X-DIRECTION  ...", "FORCE COEFF. IN Y-DIRECTION  ...",
                                      "FORCE COEFF. IN Z-DIRECTION  ...", "MOMENT COEFF. ABOUT X-AXIS  ....",
                                      "MOMENT COEFF. ABOUT Y-AXIS  ....", "MOMENT COEFF. ABOUT Z-AXIS  ...."};
  for (int i = 0; i < 6; ++i) {
    const std::string& unit = p.quadratic ? (i < 3 ? u.mass_length : u.inertia) : (i < 3 ? u.force : u.moment);
    out.Text(Line(p.quadratic ? coefficient_labels[i] : force_labels[i]).E(p.load[i], 10, 3).X(1).A(unit));
  }
}

// The eight reported entries: K is the real part, C the imaginary part over ω.
struct Reported {
  const char* k_label;
  const char* c_label;
  int i, j;
  char kind;  // 't' translation, 'r' rotation, 'x' cross term
};
const Reported kReported[8] = {
    {"HORIZONTAL TRANSLATION (KXX) ..", "HORIZONTAL TRANSLATION (CXX) ..", 0, 0, 't'},
    {"HORIZONTAL TRANSLATION (KYY) ..", "HORIZONTAL TRANSLATION (CYY) ..", 1, 1, 't'},
    {"VERTICAL TRANSLATION (KWW)  ...", "VERTICAL TRANSLATION (CWW)  ...", 2, 2, 't'},
    {"ROTATION (KPPX) .............. ", "ROTATION (CPPX)  ..............", 3, 3, 'r'},
    {"ROTATION (KPPY)  ..............", "ROTATION (CPPY)  ..............", 4, 4, 'r'},
    {"TORSION (KZT)  ................", "TORSION (CZT)  ................", 5, 5, 'r'},
    {"CROSS-STIFFNESS (KXP)  ........", "CROSS-STIFFNESS (CXP)  ........", 1, 3, 'x'},
    {"CROSS-STIFFNESS (KYP) ........ ", "CROSS-STIFFNESS (CYP)  ........", 4, 0, 'x'},
};

std::array<double, 8> Stiffness(const Matrix& a) {
  std::array<double, 8> k;
  for (int n = 0; n < 8; ++n) k[n] = a[kReported[n].i][kReported[n].j].real();
  return k;
}

std::array<double, 8> Damping(const Matrix& a, double omega) {
  std::array<double, 8> c;
  for (int n = 0; n < 8; ++n) {
    c[n] = a[kReported[n].i][kReported[n].j].imag() / omega;
    if (n == 3 || n == 4) c[n] = std::abs(c[n]);  // CPPX and CPPY
  }
  return c;
}

void ConstantsBlock(Expected& out, const Problem& p, double omega, const Matrix& a) {
  const Units& u = UnitsOf(p);
  out.Blank(2);
  out.Text(Line("FREQUENCY  -  ").F(Hz(omega), 8, 4).A(" Hz ").A("(").F(omega, 8, 4).A(" rad./sec.)"));
  out.Text(Line().Stars(9));
  out.Blank();
  out.Text(Line("STIFFNESS CONSTANTS (K)"));
  out.Text(Line().Stars(23));
  out.Blank();
  const auto k = Stiffness(a);
  for (int n = 0; n < 8; ++n) {
    const char kind = kReported[n].kind;
    const std::string unit = kind == 't' ? u.k_trans : kind == 'r' ? u.k_rot : u.k_cross;
    out.Text(Line(kReported[n].k_label).PE(k[n], 13, 5).X(1).A(unit));
  }
  out.Blank();
  out.Text(Line("DAMPING CONSTANTS (C)"));
  out.Text(Line().Stars(21));
  out.Blank();
  const auto c = Damping(a, omega);
  for (int n = 0; n < 8; ++n) {
    const char kind = kReported[n].kind;
    const std::string unit = kind == 't' ? u.c_trans : kind == 'r' ? u.c_rot : u.c_cross;
    out.Text(Line(kReported[n].c_label).PE(c[n], 13, 5).X(1).A(unit));
  }
}

void ResponseTable(Expected& out, const Problem& p, const std::vector<double>& omegas,
                   const std::vector<std::array<double, 6>>& amplitudes) {
  const std::string& len = UnitsOf(p).length;
  PageHeader(out, p.title, true);
  out.Blank(2);
  out.Line(Line().X(24).A("FOOTING RESPONSE AMPLITUDES").str());
  out.Line(Line().X(24).Repeat('-', 27).str());
  out.Blank();
  out.Text(Line("   FREQ.    FREQ.     TRANS. X    TRANS. Y    VERTICAL").A("   ROT ABOUT   ROT ABOUT   TORSIONAL"));
  out.Text(Line("    Hz    rad/sec    DIRECTION   DIRECTION            ").A("     X AXIS       Y AXIS            "));
  out.Text(Line("                       (UOX)       (UOY)       (UOZ)  ").A("     (EPOX)      (EPOY)      (EPOZ)"));
  out.Line(Line().X(26).A(len).X(10).A(len).X(10).A(len).X(10).A("rad").X(9).A("rad").X(9).A("rad").str());
  out.Text(Line("  ------  -------    ---------   ---------   ---------").A("   ---------   ---------   ---------"));
  out.Blank();
  for (size_t n = 0; n < omegas.size(); ++n) {
    Line row = Line().X(2).F(Hz(omegas[n]), 7, 2).X(2).F(omegas[n], 7, 2).X(2);
    for (double x : amplitudes[n]) row.X(1).PE(x, 11, 4);
    const double largest = *std::max_element(amplitudes[n].begin(), amplitudes[n].end());
    out.Line(row.str(), kResponseFloor * largest);
  }
}

struct ExpectedRun {
  Expected report, graphic;
};

ExpectedRun ExpectedFiles(const Problem& p) {
  ExpectedRun run;
  Echo(run.report, p);

  const long long count = std::llround((p.fmax - p.fmin) / p.fstep + 1);
  run.graphic.FreeInteger(count);
  std::vector<double> omegas;
  std::vector<std::array<double, 6>> amplitudes;
  for (long long n = 0; n < count; ++n) {
    const double omega = std::max(p.fmin + static_cast<double>(n) * p.fstep, 1e-4);
    const Matrix a = ImpedanceAtCentreOfGravity(p, omega);
    if (n == 0) PageHeader(run.report, p.title, true);
    ConstantsBlock(run.report, p, omega, a);
    for (const auto& values : {Stiffness(a), Damping(a, omega)}) {
      Line record = Line().X(1).E(omega, 10, 3);
      for (double v : values) record.X(1).E(v, 10, 3);
      run.graphic.Line(record.str());
    }
    omegas.push_back(omega);
    amplitudes.push_back(Amplitudes(p, a, omega));
  }
  ResponseTable(run.report, p, omegas, amplitudes);
  for (size_t n = 0; n < omegas.size(); ++n) {
    Line record = Line().X(1).F(omegas[n], 7, 2).X(2);
    for (double x : amplitudes[n]) record.X(1).PE(x, 11, 4);
    const double largest = *std::max_element(amplitudes[n].begin(), amplitudes[n].end());
    run.graphic.Line(record.str(), kResponseFloor * largest);
  }
  return run;
}

// ---------------------------------------------------------------------------
// Line-by-line comparison

struct Number {
  size_t begin, end;
  double value;
  double unit;  // one unit in the last printed digit
};

// The numbers of a report line: an optional sign, digits with an optional
// point, an optional exponent. Points of a dotted leader are not numbers.
std::vector<Number> Numbers(const std::string& s) {
  std::vector<Number> out;
  auto digit = [&](size_t i) { return i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); };
  size_t i = 0;
  while (i < s.size()) {
    size_t start = i;
    if ((s[i] == '-' || s[i] == '+') && (digit(i + 1) || (i + 2 < s.size() && s[i + 1] == '.' && digit(i + 2)))) ++i;
    const bool leader = start > 0 && s[start - 1] == '.';
    if (!(digit(i) || (s[i] == '.' && digit(i + 1) && !leader))) {
      i = start + 1;
      continue;
    }
    int decimals = 0;
    bool point = false;
    while (digit(i) || (s[i] == '.' && !point)) {
      if (s[i] == '.') point = true;
      else if (point) ++decimals;
      ++i;
    }
    int exponent = 0;
    bool exponent_form = false;
    if (i + 1 < s.size() && s[i] == 'E' && (s[i + 1] == '+' || s[i + 1] == '-') && digit(i + 2)) {
      const size_t e = i + 1;
      i += 2;
      while (digit(i)) ++i;
      exponent = std::atoi(s.substr(e, i - e).c_str());
      exponent_form = true;
    }
    const double value = std::strtod(s.substr(start, i - start).c_str(), nullptr);
    // a zero in exponent form carries no scale: it claims an exact zero
    const double unit = exponent_form && value == 0 ? 0.0 : std::pow(10.0, exponent - decimals);
    out.push_back({start, i, value, unit});
  }
  return out;
}

std::string Shown(const std::string& s) { return "|" + s + "|"; }

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) out.push_back(line);
  return out;
}

// Empty when the line agrees, otherwise what differs.
std::string CompareLine(const ExpectedLine& want, const std::string& got) {
  if (want.free_integer) {
    const size_t first = got.find_first_not_of(' ');
    if (first == 0 || first == std::string::npos || got.substr(first) != want.text)
      return "expected the count " + want.text + " after leading blanks";
    return "";
  }
  const auto expected = Numbers(want.text), actual = Numbers(got);
  std::string mask_want = want.text, mask_got = got;
  for (std::string* m : {&mask_want, &mask_got})
    for (char& c : *m)
      if (std::isdigit(static_cast<unsigned char>(c))) c = '9';
  std::ostringstream why;
  if (expected.size() != actual.size()) {
    why << expected.size() << " numbers expected, " << actual.size() << " found";
    return why.str();
  }
  for (size_t n = 0; n < expected.size(); ++n) {
    const Number &e = expected[n], &g = actual[n];
    const double unit = std::max(e.unit, g.unit);
    const double tolerance = kRelative * std::abs(e.value) + unit + want.floor;
    if (std::abs(g.value - e.value) > tolerance) {
      why << "number " << n + 1 << ": expected " << want.text.substr(e.begin, e.end - e.begin) << ", got "
          << got.substr(g.begin, g.end - g.begin) << " (difference " << std::abs(g.value - e.value)
          << ", tolerance " << tolerance << ")";
      return why.str();
    }
    // a value that rounds to zero may carry either sign, in the number and in its exponent
    if (std::abs(e.value) <= unit + want.floor) {
      for (auto [m, x] : {std::pair{&mask_want, &e}, std::pair{&mask_got, &g}})
        for (size_t c = x->begin; c < x->end; ++c)
          if ((*m)[c] == '-' || (*m)[c] == '+') (*m)[c] = ' ';
    }
  }
  if (mask_want != mask_got) {
    size_t column = 0;
    while (column < mask_want.size() && column < mask_got.size() && mask_want[column] == mask_got[column]) ++column;
    why << "text or layout differs from column " << column + 1;
    return why.str();
  }
  return "";
}

::testing::AssertionResult SameFile(const char* name, const Expected& expected, const std::string& text) {
  const auto& want = expected.lines();
  const auto got = SplitLines(text);
  const size_t common = std::min(want.size(), got.size());
  for (size_t n = 0; n < common; ++n) {
    const std::string why = CompareLine(want[n], got[n]);
    if (!why.empty())
      return ::testing::AssertionFailure() << name << " line " << n + 1 << ": " << why << "\n  expected: "
                                           << Shown(want[n].text) << "\n       got: " << Shown(got[n]);
  }
  if (want.size() != got.size()) {
    auto failure = ::testing::AssertionFailure();
    failure << name << ": " << want.size() << " lines expected, " << got.size() << " written; first "
            << (want.size() > got.size() ? "missing" : "extra") << " line " << common + 1 << ": "
            << Shown(want.size() > got.size() ? want[common].text : got[common]);
    return failure;
  }
  return ::testing::AssertionSuccess();
}

void CheckWholeRun(const Problem& p) {
  const EngineRun run = RunEngine(Input(p));
  ASSERT_EQ(run.code, 0) << run.report;
  const ExpectedRun expected = ExpectedFiles(p);
  EXPECT_TRUE(SameFile("report", expected.report, run.report));
  EXPECT_TRUE(SameFile("graphic data file", expected.graphic, run.graphic));
}

// ---------------------------------------------------------------------------

TEST(WholeReport, CircularFootingOnHalfSpaceUnderQuadraticLoad) { CheckWholeRun(kCircularHalfSpace); }

TEST(WholeReport, EccentricRectangularBlockOnHalfSpace) { CheckWholeRun(kEccentricRectangle); }

TEST(WholeReport, RectangularFootingEmbeddedInStratum) { CheckWholeRun(kEmbeddedStratum); }

// The comparison itself: it must see a wrong digit, a shifted field and a lost
// sign, and let a near-zero value through with either sign.
TEST(WholeReport, ComparisonCatchesLayoutAndValueFaults) {
  const ExpectedLine k{" HORIZONTAL TRANSLATION (KXX) ..  3.07122E+07 lb/ft"};
  EXPECT_EQ(CompareLine(k, " HORIZONTAL TRANSLATION (KXX) ..  3.07124E+07 lb/ft"), "");
  EXPECT_NE(CompareLine(k, " HORIZONTAL TRANSLATION (KXX) ..  3.07222E+07 lb/ft"), "");
  EXPECT_NE(CompareLine(k, " HORIZONTAL TRANSLATION (KXX) .. 3.07122E+07  lb/ft"), "");
  EXPECT_NE(CompareLine(k, " HORIZONTAL TRANSLATION (KXX) .. -3.07122E+07 lb/ft"), "");
  EXPECT_NE(CompareLine(k, " HORIZONTAL TRANSLATION (KXX) ..  3.07122E+07 lb/ft "), "");
  EXPECT_NE(CompareLine(k, " HORIZONTAL TRANSLATION (KXX) ..  3.07122E+07 lb/in"), "");
  const ExpectedLine dotted{" CROSS PRODUCT X-Z  ............. 0.00000E+00 slug-ft**2"};
  EXPECT_EQ(CompareLine(dotted, " CROSS PRODUCT X-Z  .............-0.00000E+00 slug-ft**2"), "");
  EXPECT_NE(CompareLine(dotted, " CROSS PRODUCT X-Z  .............-1.50000E+01 slug-ft**2"), "");
  const ExpectedLine row{"     3.18    20.00    9.7485E-06  0.0000E+00", 1e-11};
  EXPECT_EQ(CompareLine(row, "     3.18    20.00    9.7485E-06  1.2000E-12"), "");
  EXPECT_EQ(CompareLine(row, "     3.18    20.00    9.7485E-06 -1.2000E-12"), "");
  EXPECT_NE(CompareLine(row, "     3.18    20.00    9.7485E-06  1.2000E-10"), "");
  EXPECT_NE(CompareLine(row, "     3.20    20.00    9.7485E-06  0.0000E+00"), "");
}

}  // namespace
}  // namespace terva::test
