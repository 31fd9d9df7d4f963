#pragma once
// Bus command records: the commands that enable and disable a scenario, the
// project's panic button, and the plain command record without the central-unit
// fields. Plain property bags; no property validates its value.
#include <cstdint>

namespace tessed {

enum ScrptStatus : int32_t { stscrDisabled = 0, stscrEnabled = 1, stscrError = 2 };

// The shape shared by the command records; every value defaults to 0.
struct Comando {
    int32_t Interfaccia = 0;
    int32_t Livello = 0;
    int32_t Pulsante = 0;
    int32_t Conf_PL = 0;
    int32_t Conf_A = 0;

    bool operator==(const Comando&) const = default;
};

// A command record with the central-unit fields: the frame family (`TypeCMD`:
// 0 none, 1 simple, 2 extended) and the extended command's button and address.
struct CommandRecord : Comando {
    int32_t Indirizzo_CEN = 0;
    int32_t PULSANTE_CEN = 0;
    int32_t TypeCMD = 0;

    bool operator==(const CommandRecord&) const = default;
};

struct Abilita : CommandRecord {};
struct Disabilita : CommandRecord {};
struct TastoPanico : CommandRecord {};

}  // namespace tessed
