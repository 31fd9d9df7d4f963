#pragma once
// Catalogue identities that the code recognises by number. Objects below 100
// and the area codes are fixed identities of the master database: dialogs,
// element texts, the listing and the configurator exchange choose their rules
// by them, so the catalogue never renumbers them. The names say what the
// object is in the installation (the catalogue's own descriptions are
// localised data).
//
// Header only, with no dependencies, so that every layer from the model up
// can use it.

namespace tessed::model {

// `ID_AREA`: the slot group an element stands in, by which the association
// tables narrow what an object offers.
namespace area {
inline constexpr int kNegatedOrAlternative = 0;  // negated conditions, alternative actions
inline constexpr int kTriggers = 3;
inline constexpr int kConditions = 4;
inline constexpr int kActions = 5;
inline constexpr int kStopTriggers = 6;
}  // namespace area

// `ID_OBJ` of the objects with rules of their own.
namespace obj {
inline constexpr int kTimeOfDay = 8;  // event at a time of day (hh-mm-ss in KEY_OPT)
inline constexpr int kDelay = 9;      // fixed wait between actions
inline constexpr int kCalendar = 23;  // time text: single moment or range
inline constexpr int kLightGroup = 24;
inline constexpr int kScenarioModule = 26;
inline constexpr int kTimedLight = 27;
inline constexpr int kRoomLights = 28;
inline constexpr int kAllLights = 29;
inline constexpr int kScenarioButton = 30;
inline constexpr int kVolume = 31;
inline constexpr int kProgrammedScenario = 33;
inline constexpr int kCentralUnit = 34;
inline constexpr int kSeason = 35;
inline constexpr int kWeeklyProgramme = 36;
inline constexpr int kZoneSetPoint = 37;
inline constexpr int kZoneReading = 38;  // comparison with a zone's temperature
inline constexpr int kCentralStatus = 39;
inline constexpr int kController = 40;
inline constexpr int kEnableScenario = 41;
inline constexpr int kLoad = 43;
inline constexpr int kTimedOutput = 44;
inline constexpr int kRandomDelay = 45;  // wait between a minimum and a maximum
inline constexpr int kTimedAux = 48;
inline constexpr int kLightByAddress = 49;  // WHERE typed as a bus address
inline constexpr int kZoneOverride = 50;
inline constexpr int kShutterPosition = 51;
inline constexpr int kStoredPosition = 52;
inline constexpr int kTariffBand = 54;
inline constexpr int kZoneManual = 56;
inline constexpr int kOutdoorTemperature = 58;
inline constexpr int kAudioSettings = 60;
inline constexpr int kAlarmPanel = 61;
inline constexpr int kEnergyMeter = 62;
inline constexpr int kVariable = 66;
inline constexpr int kExtendedButton = 67;
}  // namespace obj

// `ID_COSA` codes that rules of more than one module compare against.
namespace what {
inline constexpr int kGeneralSwitchOff = 161;  // room lights: every light of the installation
inline constexpr int kCentralUnitManualTemperature = 236;
inline constexpr int kZoneSetTemperature = 237;
inline constexpr int kAllScenariosDisabled = 258;  // programmed / enable scenario
}  // namespace what

}  // namespace tessed::model
