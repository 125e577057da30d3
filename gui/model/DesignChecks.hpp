// The design checks of a machine foundation from the results of a harmonic
// run, each with a verdict:
//
// (a) frequency separation: the operating frequency against every peak of
//     the six response curves of the centre of gravity (UOX ... EPOZ); a
//     peak passes when its frequency lies at least the set ratio (20 % by
//     default, common practice) away from the operating frequency; peaks
//     below a thousandth of the largest amplitude of their kind are noise;
// (b) amplitude and velocity at the centre of gravity and at the points the
//     user lists (bearings, for example), at the operating frequency, each
//     component against the user's limits; velocity = ω·amplitude;
// (c) warnings: a direct stiffness that is not positive or a damping that is
//     negative at the operating frequency, and frequencies the engine could
//     not solve.
//
// Values at the operating frequency are interpolated linearly in the
// frequency between the two computed frequencies around it, as the springs
// and dashpots are. Every check says where its numbers come from.
#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

#include "gui/model/ResultsExport.hpp"

namespace terva::gui {

// A point of the footing by its offset from the centre of gravity, in the
// project's length unit.
struct TCheckPoint {
  QString name;
  double x = 0.0, y = 0.0, z = 0.0;
};

struct TDesignCriteria {
  double operatingOmega = 0.0;   // rad/s
  double separation = 0.20;      // the least relative distance of a peak from the operating frequency
  double amplitudeLimit = 0.0;   // project length; 0: not checked
  double velocityLimit = 0.0;    // project length per second; 0: not checked
  std::vector<TCheckPoint> points;  // besides the centre of gravity, which is always checked
};

enum class TVerdict { Pass, Fail, NotChecked };

// A peak of a response curve: an interior computed frequency whose amplitude
// is above the one before it and not below the one after it.
struct TResponsePeak {
  int curve = 0;              // 0..5: UOX UOY UOZ EPOX EPOY EPOZ
  double omega = 0.0;         // rad/s, a computed frequency
  double amplitude = 0.0;
  double separation = 0.0;    // |omega / operating − 1|
  double margin = 0.0;        // separation − the criterion's ratio: negative fails
  bool pass = true;
};

struct TSeparationCheck {
  TVerdict verdict = TVerdict::NotChecked;
  std::vector<TResponsePeak> peaks;  // in the order of the curves, then of the frequencies
  // Peaks left out: below a thousandth of the largest amplitude of their
  // kind (translations, rotations), the noise of a direction the load does
  // not move.
  int negligible = 0;
};

struct TPointCheck {
  TCheckPoint point;
  std::array<double, 3> amplitude{};  // x, y, z at the operating frequency
  std::array<double, 3> velocity{};   // ω × amplitude
  // Without the results file's phases the amplitudes are the bound that holds
  // whatever the phases: a pass is sure, a failure may be the bound's.
  bool upperBound = false;
  TVerdict amplitudeVerdict = TVerdict::NotChecked, velocityVerdict = TVerdict::NotChecked;
  double amplitudeMargin = 0.0, velocityMargin = 0.0;  // limit − largest component: negative fails
};

struct TDesignChecks {
  bool ok = false;
  QString error;  // why there are no checks (no harmonic response, frequency outside the range)
  double below = 0.0, above = 0.0;  // the computed frequencies around the operating one (rad/s)
  TSeparationCheck separation;
  std::vector<TPointCheck> points;  // the centre of gravity first
  QStringList warnings;
};

// The criteria as the user last set them, kept with the user's settings:
// the operating frequency as typed ("1500 rpm", see SpringsDashpots.hpp),
// the separation ratio, and per unit system (1 English, 2 SI) the limits and
// the points. Missing or unreadable settings give the defaults: no operating
// frequency, 20 %, no limits, no points.
struct TStoredCriteria {
  QString operatingFrequency;
  TDesignCriteria criteria;  // operatingOmega stays 0: the caller reads the text
};
TStoredCriteria StoredDesignCriteria(int system);
void StoreDesignCriteria(int system, const TStoredCriteria& stored);

// The checks of `criteria` on the results `data` of a harmonic run. Refused
// with a message when the data hold no response rows or the operating
// frequency lies outside their range.
TDesignChecks CheckDesign(const TResultsData& data, const TDesignCriteria& criteria);

}  // namespace terva::gui
