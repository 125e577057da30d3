// The analysis driver: the frequency list, the impedance of the foundation at
// every frequency, the stiffness and damping report, and the hand-over to the
// response phase.
#include "engine/analysis/analysis_driver.hpp"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/analysis/progress.hpp"
#include "engine/core/matrix6.hpp"
#include "engine/core/problem_data.hpp"
#include "engine/impedance/half_space.hpp"
#include "engine/impedance/pile_group.hpp"
#include "engine/impedance/side_layers.hpp"
#include "engine/impedance/single_pile.hpp"
#include "engine/impedance/transform.hpp"
#include "engine/report/report.hpp"
#include "engine/response/harmonic_response.hpp"
#include "engine/response/random_response.hpp"
#include "engine/response/transient_response.hpp"

namespace terva {

namespace {

void NotExecuted(Report& out) { out.Line("***PROGRAM WILL NOT EXECUTE***"); }

// What the pile models take from the preparation before the loop.
struct PilePreparation {
  Real shearCutOff = 0, compressionCutOff = 0;  // ωs and ωp, 0 unless the piles bear on a stiffer base
  Int piles = 0;
  Int headFixed = 1;
};

// Frequencies of the run, and the running value the response table prints.
struct FrequencyList {
  int count = 0;
  bool tooMany = false;
};

FrequencyList BuildFrequencies(ProblemData& p, ResultStore& r) {
  FrequencyList list;
  LoadDescription& l = p.load;
  if (p.status.LoadType == EngineLoad::Transient) {
    constexpr Real kTransientPi = 3.1415927f;
    const int n = RoundCount(static_cast<Real>(l.PointCount));
    list.count = n / 2 + 1;
    if (list.count > kMaxFrequencies) return list.tooMany = true, list;
    for (int k = 1; k <= list.count; ++k) {
      const Real w = k == 1 ? 0.01f : 2.0f * kTransientPi * static_cast<Real>(k - 1) / (static_cast<Real>(n) * l.TimeStep);
      r.omega(k) = w;
      r.printedOmega(k) = w;
    }
    return list;
  }
  if (l.FreqStep == 0.0f) l.FreqStep = 1.0f;
  list.count = RoundCount((l.FreqMax - l.FreqMin) / l.FreqStep + 1.0f);
  if (list.count > kMaxFrequencies) return list.tooMany = true, list;
  Real running = l.FreqMin - l.FreqStep;
  for (int k = 1; k <= list.count; ++k) {
    running += l.FreqStep;  // accumulated by repeated addition
    r.printedOmega(k) = running;
    r.omega(k) = running > 0.0f ? running : 0.0001f;
  }
  return list;
}

// The eight reported entries: name suffix, (row, column), unit of K and of C.
struct Reported {
  const char* kLabel;
  const char* cLabel;
  int i, j;
  int kind;  // 0 translation, 1 rotation, 2 cross
};
constexpr Reported kReported[8] = {
    {"HORIZONTAL TRANSLATION (KXX) ..", "HORIZONTAL TRANSLATION (CXX) ..", 1, 1, 0},
    {"HORIZONTAL TRANSLATION (KYY) ..", "HORIZONTAL TRANSLATION (CYY) ..", 2, 2, 0},
    {"VERTICAL TRANSLATION (KWW)  ...", "VERTICAL TRANSLATION (CWW)  ...", 3, 3, 0},
    {"ROTATION (KPPX) .............. ", "ROTATION (CPPX)  ..............", 4, 4, 1},
    {"ROTATION (KPPY)  ..............", "ROTATION (CPPY)  ..............", 5, 5, 1},
    {"TORSION (KZT)  ................", "TORSION (CZT)  ................", 6, 6, 1},
    {"CROSS-STIFFNESS (KXP)  ........", "CROSS-STIFFNESS (CXP)  ........", 2, 4, 2},
    {"CROSS-STIFFNESS (KYP) ........ ", "CROSS-STIFFNESS (CYP)  ........", 5, 1, 2},
};

// Damping of the foundation: the imaginary parts of the diagonal, (2,4) and
// (5,1) are taken at 70 per cent; the partners (4,2) and (1,5) are left.
void ApplyDampingFactor(ComplexMatrix6& A) {
  for (const Reported& e : kReported) A(e.i, e.j) = Complex(A(e.i, e.j).real(), 0.7f * A(e.i, e.j).imag());
}

void ReportConstants(const ProblemData& p, Report& out, std::FILE* graphic, const ComplexMatrix6& A, Real omega,
                     int k, ResultStore& results) {
  Real K[8], C[8];
  for (int e = 0; e < 8; ++e) {
    const Complex a = A(kReported[e].i, kReported[e].j);
    K[e] = a.real();
    C[e] = a.imag() / omega;
    if (e == 3 || e == 4) C[e] = std::fabs(C[e]);  // rocking damping as a magnitude
    results.stiffness(e + 1)(k) = K[e];
    results.damping(e + 1)(k) = C[e];
  }
  if (!p.run.PrintConstants) return;
  if (k == 1) WritePageHeader(out, 2, p.run.Title);
  const UnitLabels& u = p.labels;
  const std::string kUnits[3] = {fmt::A(u.transStiffness, 5), fmt::A(u.rotStiffness, 9), fmt::A(u.crossStiffness, 6)};
  const std::string cUnits[3] = {fmt::A(u.transDamping, 9), fmt::A(u.rotDamping, 12), fmt::A(u.crossDamping, 10)};
  out.Blank(2);
  out.Line(fmt::Line("FREQUENCY  -  ").F(Hz(omega), 8, 4).A(" Hz (").F(omega, 8, 4).A(" rad./sec.)"));
  out.Line(fmt::Line().Stars(9));
  out.Blank();
  out.Line("STIFFNESS CONSTANTS (K)");
  out.Line(fmt::Line().Stars(23));
  out.Blank();
  for (int e = 0; e < 8; ++e) out.Line(fmt::Line(kReported[e].kLabel).PE(K[e], 13, 5).X(1).A(kUnits[kReported[e].kind]));
  out.Blank();
  out.Line("DAMPING CONSTANTS (C)");
  out.Line(fmt::Line().Stars(21));
  out.Blank();
  for (int e = 0; e < 8; ++e) out.Line(fmt::Line(kReported[e].cLabel).PE(C[e], 13, 5).X(1).A(cUnits[kReported[e].kind]));

  if (std::FILE* g = graphic) {
    fmt::Line stiffness, damping;
    stiffness.X(1).E(omega, 10, 3);
    damping.X(1).E(omega, 10, 3);
    for (int e = 0; e < 8; ++e) {
      stiffness.X(1).E(K[e], 10, 3);
      damping.X(1).E(C[e], 10, 3);
    }
    std::fprintf(g, "%s\n%s\n", stiffness.str().c_str(), damping.str().c_str());
  }
}

// The reported terms (KXX ... CYP) of the impedance at the centre of gravity
// that are no finite number, blank-separated, each after a blank; "OTHER
// TERMS" for the entries that are not reported. Empty when all are finite.
std::string NonFiniteTerms(const ComplexMatrix6& A) {
  static const char* const kNames[8] = {"XX", "YY", "WW", "PPX", "PPY", "ZT", "XP", "YP"};
  std::string k, c;
  bool allFinite = true;
  for (int e = 0; e < 8; ++e) {
    const Complex a = A(kReported[e].i, kReported[e].j);
    if (!Finite(a.real())) k.append(" K").append(kNames[e]);
    if (!Finite(a.imag())) c.append(" C").append(kNames[e]);  // Im/ω alone overflowing is only a full field
  }
  for (int i = 1; i <= 6; ++i)
    for (int j = 1; j <= 6; ++j) allFinite = allFinite && Finite(A(i, j));
  std::string terms = k + c;
  if (!allFinite && terms.empty()) terms = " OTHER TERMS";  // coupling terms the report does not show
  return terms;
}

// Half-space footing: the element at the base, moved to the centre of gravity.
bool HalfSpaceImpedance(const ProblemData& p, Report& out, Real omega, const RealMatrix6& base, ComplexMatrix6& A) {
  const BaseSoil& soil = p.base;
  const Real vs = soil.BaseShearWaveVelocity;
  if (!(vs > 0.0f)) {
    out.Blank(2);
    out.Line(fmt::Line("***INADMISSABLE VALUE FOR SHEAR WAVE ").A("VELOCITY OF HALF-SPACE (").PE(vs, 9, 2).A(") ***"));
    NotExecuted(out);
    return false;
  }
  const Rows<Real, 4>& R = p.geometry.EquivalentRadius;
  const Real a0 = R(1) * omega / vs;
  const HalfSpaceCoefficients c =
      HalfSpaceCoefficientsAt(a0, soil.BasePoissonRatio, soil.BaseDamping, {R(1), R(2), R(3), R(4)});
  const Real G = vs * vs * soil.BaseUnitWeight / p.Gravity;  // shear modulus
  ComplexMatrix6 E;
  E(1, 1) = G * R(1) * c.horizontal;
  E(2, 2) = E(1, 1);
  E(3, 3) = G * R(1) * c.vertical;
  E(4, 4) = G * R(2) * R(2) * R(2) * c.rockingX;
  E(5, 5) = G * R(3) * R(3) * R(3) * c.rockingY;
  E(6, 6) = G * R(4) * R(4) * R(4) * c.torsion;
  TransformImpedance(E, base, A);
  return true;
}

// Stratum footing: the seven impedances at the base, moved to the centre of gravity.
void StratumImpedance(const ProblemData& p, Real omega, const RealMatrix6& base, ComplexMatrix6& A) {
  const BaseSoil& b = p.base;
  StratumSoil soil;
  soil.embedment = p.constants.EmbedmentDepth;
  soil.depth = p.constants.StratumDepth;
  soil.nu = b.StratumPoissonRatio;
  soil.damping = b.StratumDamping;
  soil.unitWeight = b.StratumUnitWeight;
  soil.velocity = b.StratumShearWaveVelocity;
  soil.gravity = p.Gravity;
  const Rows<Real, 5>& R = p.geometry.StratumRadius;
  const StratumImpedances z = StratumImpedancesAt(omega, soil, {R(1), R(2), R(3), R(4), R(5)});
  ComplexMatrix6 E;
  E(1, 1) = z.horizontal;
  E(2, 2) = z.horizontal;
  E(3, 3) = z.vertical;
  E(2, 4) = E(4, 2) = z.couplingX;
  E(1, 5) = E(5, 1) = z.couplingY;
  E(4, 4) = z.rockingX;
  E(5, 5) = z.rockingY;
  E(6, 6) = z.torsion;
  TransformImpedance(E, base, A);
}

// Pile and multilayer foundations: cut-off frequencies of the soil column, the
// weakened-zone thickness as a length, and the rounded pile data.
PilePreparation PreparePiles(ProblemData& p, int sideLayers) {
  PilePreparation prep;
  const int layers = RowsOf(p.piles.LayerCountValue, kMaxLayers);
  if (p.status.EndBearing) {
    Real H = 0, S = 0, P = 0;  // Σ thickness, Σ thickness × velocity, Σ thickness × Poisson's ratio
    for (int k = 1; k <= layers; ++k) {
      H += p.sections.LayerThickness(k);
      S += p.sections.LayerThickness(k) * p.soil.ShearWaveVelocity(k);
      P += p.sections.LayerThickness(k) * p.soil.SoilPoissonRatio(k);
    }
    for (int k = 1; k <= sideLayers; ++k) {
      H += p.side.SideThickness(k);
      S += p.side.SideThickness(k) * p.side.SideShearWaveVelocity(k);
      P += p.side.SideThickness(k) * p.side.SidePoissonRatio(k);
    }
    const Real V = S / H;
    Real nu = P / H;
    if (V < p.base.BaseShearWaveVelocity) {
      const Real pi = static_cast<Real>(std::acos(-1.0));
      prep.shearCutOff = pi * V / (2.0f * H);
      if (nu >= 0.5f) nu = 0.499f;
      prep.compressionCutOff = prep.shearCutOff * std::sqrt(2.0f * (1.0f - nu) / (1.0f - 2.0f * nu));
    }
  }
  for (int k = 1; k <= layers; ++k)
    p.weak.WeakThicknessRatio(k) *= (p.sections.PileRadiusX(k) + p.sections.PileRadiusY(k)) / 2.0f;
  if (p.status.FoundationType == EngineFoundation::Multilayer) p.piles.PileCountValue = 1.0f;
  prep.piles = RowsOf(p.piles.PileCountValue, kMaxPiles);
  prep.headFixed = RoundCount(p.piles.HeadFixity);
  return prep;
}

// One pile's element matrix at its head (or the multilayer column's at its
// top) from the three runs of the single-pile computation.
ComplexMatrix6 PileElement(const ProblemData& p, const PilePreparation& prep, Real omega, Report& out) {
  const EngineFoundation type = p.status.FoundationType;
  PileModel model;
  model.soilCode = type == EngineFoundation::Multilayer ? -1 : (p.status.SoilMedia == kLayered ? 1 : 0);
  model.layers = RowsOf(p.piles.LayerCountValue, kMaxLayers);
  model.adjacent = type == EngineFoundation::Multilayer ? RowsOf(p.piles.AdjacentLayerCountValue, kMaxLayers) : 0;
  model.shearCutOff = prep.shearCutOff;
  model.compressionCutOff = prep.compressionCutOff;

  ComplexMatrix6 E;
  const PileHeadImpedances mean = SinglePileImpedances(p, omega, model, PileRun::kMeanRadii, out);
  E(3, 3) = mean.At(HeadMode::kVertical, omega);
  E(6, 6) = mean.At(HeadMode::kTorsion, omega);
  const PileHeadImpedances x = SinglePileImpedances(p, omega, model, PileRun::kRadiiX, out);
  const PileHeadImpedances y = SinglePileImpedances(p, omega, model, PileRun::kRadiiY, out);
  const bool restrained =
      (type == EngineFoundation::Pile && prep.piles > 1 && p.status.InteractionOn) || prep.headFixed == 1;
  if (restrained) {
    E(1, 1) = x.At(HeadMode::kHorizontal, omega);
    E(5, 5) = x.At(HeadMode::kRocking, omega);
    E(1, 5) = E(5, 1) = x.At(HeadMode::kCoupling, omega);
    E(2, 2) = y.At(HeadMode::kHorizontal, omega);
    E(4, 4) = y.At(HeadMode::kRocking, omega);
    E(2, 4) = E(4, 2) = -y.At(HeadMode::kCoupling, omega);
  } else {
    E(1, 1) = x.At(HeadMode::kFreeHead, omega);  // a pinned head turns freely
    E(2, 2) = y.At(HeadMode::kFreeHead, omega);
  }
  return E;
}


// ---- the frequency loop ----

// What every frequency reads; nothing in it changes during the loop.
struct LoopContext {
  const ProblemData& p;
  EngineFoundation type;
  PilePreparation prep;
  RealMatrix6 base;  // from the pile heads or the footing's base to the centre of gravity
  int sideLayers;
};

// One frequency's work: the impedance, then, after the constants report, the response.
struct FrequencyWork {
  ComplexMatrix6 A;        // impedance at the centre of gravity with the damping factor
  bool refused = false;    // the problem cannot be analysed (nothing at this frequency or after it)
  std::string notFinite;   // the reported terms of A that are no finite number
  FrequencyResponse response;
  bool solved = true;
};

// 7. and 8.: the impedance at the centre of gravity; its messages go to out.
void ImpedanceStep(const LoopContext& c, InteractionTables& interaction, Real omega, FrequencyWork& w,
                   Report& out) {
  const ProblemData& p = c.p;
  ComplexMatrix6& A = w.A;
  if (c.type == EngineFoundation::HalfSpace) {
    if (!HalfSpaceImpedance(p, out, omega, c.base, A)) {
      w.refused = true;
      return;
    }
  } else if (c.type == EngineFoundation::Stratum) {
    StratumImpedance(p, omega, c.base, A);
  } else if (c.type == EngineFoundation::Multilayer) {
    TransformImpedance(PileElement(p, c.prep, omega, out), c.base, A);
  } else if (c.type == EngineFoundation::Pile) {
    AssemblePileGroup(p, interaction, PileElement(p, c.prep, omega, out), omega, A, out);
  }
  // side layers of an embedded footing or pile cap (a stratum holds its embedment in its own formulas)
  if (c.sideLayers > 0 && (c.type == EngineFoundation::HalfSpace || c.type == EngineFoundation::Pile)) {
    const bool belowShear = c.type == EngineFoundation::Pile && omega <= c.prep.shearCutOff;
    const bool belowCompression = c.type == EngineFoundation::Pile && omega <= c.prep.compressionCutOff;
    AddSideLayers(p, c.sideLayers, omega, belowShear, belowCompression, A, out);
  }
  ApplyDampingFactor(A);
  w.notFinite = NonFiniteTerms(A);
}

// 9.: the response of frequency k; its messages go to out, which follows the constants report.
void ResponseStep(const LoopContext& c, int k, Real omega, FrequencyWork& w, Report& out) {
  if (!w.notFinite.empty()) {
    // no response can come of it: the frequency's response is unknown
    ReportNotFinite(out, "IMPEDANCE", k, omega, w.notFinite);
    w.response.MarkUnknown();
    w.solved = false;
    return;
  }
  ComplexMatrix6 A = w.A;  // the solve forms A − ω²·M in it
  switch (c.p.status.LoadType) {
    case EngineLoad::Harmonic: w.solved = SolveHarmonic(c.p, A, omega, k, w.response, out); break;
    case EngineLoad::Transient: w.solved = SolveTransient(c.p, A, omega, k, w.response, out); break;
    case EngineLoad::Random: w.solved = SolveRandom(c.p, A, omega, k, w.response, out); break;
    default: break;
  }
}

bool SerialFrequencyLoop(const LoopContext& c, InteractionTables& interaction, ResultStore& results, Report& out,
                         std::FILE* graphic, RunProgress& progress, int& failed) {
  for (int k = 1; k <= results.count; ++k) {
    const Real omega = results.omega(k);
    FrequencyWork w;
    ImpedanceStep(c, interaction, omega, w, out);
    if (w.refused) return false;
    ReportConstants(c.p, out, graphic, w.A, omega, k, results);
    ResponseStep(c, k, omega, w, out);
    results.Store(k, w.response);
    if (!w.solved) ++failed;
    progress.FrequencyDone();  // the one place a frequency is finished
  }
  return true;
}

// The number of threads of the frequency loop: TERVA_THREADS when it is a
// positive number; else the machine's cores for piles and multilayer columns,
// and one thread for the footings whose impedance is a closed formula (a
// frequency of theirs takes microseconds, less than handing it to a worker).
int AnalysisThreads(int frequencies, EngineFoundation type) {
  constexpr int kMostThreads = 64;
  int threads = 0;
  if (const char* env = std::getenv("TERVA_THREADS")) {
    char* end = nullptr;
    const long n = std::strtol(env, &end, 10);
    if (end != env && *end == '\0' && n > 0) threads = static_cast<int>(std::min<long>(n, kMostThreads));
  }
  const bool costly = type == EngineFoundation::Pile || type == EngineFoundation::Multilayer;
  if (threads == 0 && !costly) threads = 1;
  if (threads == 0) threads = static_cast<int>(std::min<unsigned>(std::thread::hardware_concurrency(), kMostThreads));
  return frequencies > 0 ? std::max(1, threads) : 1;
}

// The frequencies on `threads` worker threads, each with its own copy of the
// interaction work space and its own reports in memory; this thread writes
// every frequency's report lines, constants and response in frequency order,
// so that the report and the graphic data file are those of the serial loop.
// At most a window of frequencies is computed ahead of the one written next.
// There are never more workers than frequencies; the threads beyond them, and
// those of workers that have run out of frequencies, are spare cores that the
// group solver spreads its trailing updates over.
bool ParallelFrequencyLoop(const LoopContext& c, InteractionTables& interaction, int threads,
                           ResultStore& results, Report& out, std::FILE* graphic, RunProgress& progress,
                           int& failed) {
  struct Slot {
    FrequencyWork work;
    std::string impedanceLines, responseLines;  // what the two steps reported
    std::exception_ptr error;
    bool ready = false;
  };
  const int count = results.count;
  const int workers = std::min(threads, count);
  const int window = 4 * workers;
  SpareCores spare;
  spare.idle = threads - workers;
  spare.busy = workers;
  std::vector<Slot> slots(static_cast<size_t>(window));
  std::mutex mutex;
  std::condition_variable readyChanged, windowMoved;
  int next = 1;     // the next frequency a worker takes
  int written = 0;  // frequencies written so far
  bool stop = false;

  auto worker = [&](InteractionTables tables) {
    for (ComplexSymmetricSystem* s : {&tables.vertical, &tables.loadX, &tables.loadY}) s->ShareSpareCores(&spare);
    Report impedanceOut, responseOut;
    for (;;) {
      int k = 0;
      {
        std::unique_lock lock(mutex);
        windowMoved.wait(lock, [&] { return stop || next > count || next <= written + window; });
        if (stop || next > count) {
          spare.busy.fetch_sub(1, std::memory_order_relaxed);  // this thread's core is free for the others
          spare.idle.fetch_add(1, std::memory_order_relaxed);
          return;
        }
        k = next++;
      }
      Slot& slot = slots[static_cast<size_t>(k % window)];
      try {
        const Real omega = results.omega(k);  // read only: nothing writes the list during the loop
        slot.work = FrequencyWork{};
        slot.error = nullptr;
        impedanceOut.OpenMemory();
        responseOut.OpenMemory();
        ImpedanceStep(c, tables, omega, slot.work, impedanceOut);
        if (!slot.work.refused) ResponseStep(c, k, omega, slot.work, responseOut);
        slot.impedanceLines = impedanceOut.Captured();
        slot.responseLines = responseOut.Captured();
      } catch (...) {
        slot.error = std::current_exception();
      }
      progress.FrequencyDone();
      {
        const std::lock_guard lock(mutex);
        slot.ready = true;
      }
      readyChanged.notify_all();
    }
  };

  std::vector<std::thread> pool;
  auto finish = [&] {
    {
      const std::lock_guard lock(mutex);
      stop = true;
    }
    windowMoved.notify_all();
    for (std::thread& t : pool) t.join();
    pool.clear();
  };
  try {
    for (int t = 0; t < workers; ++t) pool.emplace_back(worker, interaction);
  } catch (...) {  // no thread, or no memory for a work space: go on with the workers there are
    if (pool.empty()) return SerialFrequencyLoop(c, interaction, results, out, graphic, progress, failed);
  }
  struct JoinAtEnd {
    decltype(finish)& f;
    ~JoinAtEnd() { f(); }
  } joinAtEnd{finish};  // whichever way this thread leaves, the workers stop first

  for (int k = 1; k <= count; ++k) {
    Slot& slot = slots[static_cast<size_t>(k % window)];
    {
      std::unique_lock lock(mutex);
      readyChanged.wait(lock, [&] { return slot.ready; });
    }
    if (slot.error) std::rethrow_exception(slot.error);
    const Real omega = results.omega(k);
    out.WriteCaptured(slot.impedanceLines);
    if (slot.work.refused) return false;
    ReportConstants(c.p, out, graphic, slot.work.A, omega, k, results);
    out.WriteCaptured(slot.responseLines);
    results.Store(k, slot.work.response);
    if (!slot.work.solved) ++failed;
    {
      const std::lock_guard lock(mutex);
      slot.ready = false;
      written = k;
    }
    windowMoved.notify_all();
  }
  return true;
}
}  // namespace

bool RunAnalysis(ProblemData& p, ResultStore& results, Report& out, std::FILE* graphic, RunProgress& progress) {
  const EngineFoundation type = p.status.FoundationType;

  // 1. the gravitational constant
  if (!(p.Gravity > 0.0f)) {
    out.Blank(2);
    out.Line(fmt::Line("*** INADMISSABLE VALUE FOR GRAVITATIONAL ").A("CONSTANT (").PE(p.Gravity, 10, 3).A(") ***"));
    NotExecuted(out);
    return false;
  }

  // 2. weak-zone thickness of side layers as a length
  const bool scaling = (type == EngineFoundation::HalfSpace && p.status.WeakZoneOn) || p.status.SideCapOn;
  if (!p.status.EmbeddedOn && type != EngineFoundation::HalfSpace) p.side.SideLayerCount = 0;
  const int sideLayers = std::min<Int>(std::max<Int>(p.side.SideLayerCount, 0), kMaxLayers);
  if (sideLayers > 0 && (type == EngineFoundation::Pile || type == EngineFoundation::HalfSpace) && scaling)
    for (int k = 1; k <= sideLayers; ++k) p.side.CapThicknessRatio(k) *= p.geometry.EquivalentRadius(1);

  // 3. pile and multilayer preparation
  const bool piled = type == EngineFoundation::Pile || type == EngineFoundation::Multilayer;
  const PilePreparation prep = piled ? PreparePiles(p, sideLayers) : PilePreparation{};

  // 4. frequency list
  const FrequencyList list = BuildFrequencies(p, results);
  if (list.tooMany) {
    out.Blank(2);
    out.Line(fmt::Line("*** NUMBER OF FREQUENCIES (").I(list.count, 10).A(") EXCEEDS THE CAPACITY OF 1024 ***"));
    NotExecuted(out);
    return false;
  }
  results.count = std::max(list.count, 0);

  // 5. pile-to-pile interaction, once
  InteractionTables interaction;
  if (type == EngineFoundation::Pile && p.status.InteractionOn && prep.piles > 1)
    interaction = SetUpPileInteraction(p, out);

  // 6. the count line of the graphic data file
  if (std::FILE* g = graphic) std::fprintf(g, "%s\n", fmt::I(list.count, 12).c_str());

  const LoopContext loop{p, type, prep, RigidBodyTransformation(p.constants.CentreOfGravityX,
                                                                p.constants.CentreOfGravityY,
                                                                p.constants.CentreOfGravityHeight, 0.0f),
                         sideLayers};
  int failedFrequencies = 0;
  const ProgressScope scope(progress, results.count);  // back to 0 on every way out
  const int threads = AnalysisThreads(results.count, type);
  const bool analysed =
      threads > 1
          ? ParallelFrequencyLoop(loop, interaction, threads, results, out, graphic, progress, failedFrequencies)
          : SerialFrequencyLoop(loop, interaction, results, out, graphic, progress, failedFrequencies);
  if (!analysed) return false;
  switch (p.status.LoadType) {
    case EngineLoad::Harmonic: PrintHarmonicResults(p, results, out, graphic); break;
    case EngineLoad::Transient: PrintTransientResults(p, results, out); break;
    case EngineLoad::Random: PrintRandomResults(p, results, out); break;
    default: break;
  }
  if (failedFrequencies > 0) {
    out.Blank(2);
    out.Line("*** ANALYSIS COMPLETED WITH ERRORS AT " + std::to_string(failedFrequencies) + " FREQUENCIES ***");
  }
  return true;
}

}  // namespace terva
