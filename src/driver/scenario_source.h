// Where a run's scenario comes from: its title and train code, and the five
// texts the run writes before it reads the two descriptions back.
#pragma once

#include <cstddef>
#include <string>

namespace scenario {

// The five texts, in the order the run writes them.
enum class ScenarioText { line_description, train_description, notes, slowdown_order, timetable_sheet };
inline constexpr std::size_t scenario_text_count = 5;

class ScenarioSource {
public:
    virtual ~ScenarioSource() = default;

    virtual const std::string& title() const = 0;
    virtual const std::string& train_code() const = 0;
    // The bytes of a text's file, as the run writes it.
    virtual std::string text(ScenarioText which) const = 0;
};

// The program's name, which is also its file's: title, "_", train code.
std::string program_name_of(const ScenarioSource& scenario);

// The scenario the program carries: its texts compiled in, written with the
// fixed-text writing steps.
class BuiltInScenario : public ScenarioSource {
public:
    BuiltInScenario();

    const std::string& title() const override { return title_; }
    const std::string& train_code() const override { return train_code_; }
    std::string text(ScenarioText which) const override;

private:
    std::string title_;
    std::string train_code_;
};

}  // namespace scenario
