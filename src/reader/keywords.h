// The keywords of the two descriptions and how a field is recognised as one:
// by the texts it contains, never by equality. The readers test them in the
// order of their tables; an author's tools use the same tables to tell a
// misspelt or misplaced keyword.
#pragma once

#include <array>
#include <string_view>

#include "description/field_stream.h"

namespace scenario {

struct Keyword {
    std::string_view written;  // the keyword as an author writes it
    std::string_view marker;   // a field holding this text ...
    std::string_view also;     // ... and this one (when not empty) is the keyword
    bool exactCase = false;

    bool matches(std::string_view field) const {
        auto holds = [&](std::string_view text) {
            return text.empty() || (exactCase ? contains_exact(field, text) : contains_ignoring_case(field, text));
        };
        return holds(marker) && holds(also);
    }
};

namespace keyword {

// The header that starts the reading of either description.
inline constexpr Keyword general_header{"[generale]", "[generale]", "", false};

// The line description's general section.
inline constexpr Keyword route_length{"lunghezza percorso", "lunghezza", "percorso", false};
inline constexpr Keyword break_tre{"progressiva chilometrica tre", "tre", "progressiva", true};
inline constexpr Keyword break_due{"progressiva chilometrica due", "due", "progressiva", true};
inline constexpr Keyword break_uno{"progressiva chilometrica uno", "uno", "progressiva", true};
inline constexpr Keyword background_uno{"sfondo uno", "sfondo", "uno", true};
inline constexpr Keyword background_due{"sfondo due", "sfondo", "due", true};
inline constexpr Keyword background_tre{"sfondo tre", "sfondo", "tre", true};
inline constexpr Keyword repetition{"ripetizione segnali 4 codici", "segnali", "ripetizione", true};

// The line description's items.
inline constexpr Keyword gradient{"pendenza", "pendenza", "", false};
inline constexpr Keyword curve{"curvas1", "curva", "", false};
inline constexpr Keyword mountain{"montagna", "montagna", "", false};
inline constexpr Keyword speed_boards{"indicatori_vmax", "indicatori_v", "", false};
inline constexpr Keyword sign{"cartello_indicatore", "indicat", "cartello", false};

// The train description's records.
inline constexpr Keyword braked_mass{"percentuale massa frenata", "frenata", "massa", false};
inline constexpr Keyword coaches{"numero vetture", "vetture", "", false};
inline constexpr Keyword speed{"velocita", "velocit", "", false};
inline constexpr Keyword adhesion{"aderenza", "aderenza", "", false};
inline constexpr Keyword clock{"orologio", "orologio", "", false};
inline constexpr Keyword sand{"sabbia", "sabbia", "", false};
inline constexpr Keyword signal{"segnale", "segnale", "", false};
inline constexpr Keyword slowdown{"rallentamento", "rallentamento", "", false};
inline constexpr Keyword restriction{"abbattimento", "abbattimento", "", false};
inline constexpr Keyword station{"stazione", "stazione", "", false};

// Each table in the order its reader tests a field.
inline constexpr std::array<const Keyword*, 8> line_general{
    &route_length, &break_tre, &break_due, &break_uno, &background_uno, &background_due, &background_tre, &repetition};
inline constexpr std::array<const Keyword*, 5> line_items{&gradient, &curve, &mountain, &speed_boards, &sign};
inline constexpr std::array<const Keyword*, 10> train_records{
    &braked_mass, &coaches, &speed, &adhesion, &clock, &sand, &signal, &slowdown, &restriction, &station};

}  // namespace keyword

// A keyword candidate holding a hyphen is a comment and is passed over.
inline bool has_hyphen(std::string_view field) { return field.find('-') != std::string_view::npos; }

// How many hyphenated fields in a row are passed over in search of a
// keyword: in the line's general section, and everywhere else.
inline constexpr int general_hyphen_skips = 10;
inline constexpr int item_hyphen_skips = 2;

}  // namespace scenario
