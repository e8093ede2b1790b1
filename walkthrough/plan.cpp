// PURPOSE: reading the walk-through's plan file (format in plan.h).
#include "plan.h"
#include <stdlib.h>
#include <fstream>
#include <sstream>

namespace {

std::string Unescape(const std::string& field) {
    std::string text;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            text += field[i];
            continue;
        }
        char next = field[++i];
        text += next == 'n' ? '\n' : next == 't' ? '\t' : next;
    }
    return text;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(Unescape(line.substr(start, tab == std::string::npos ? tab : tab - start)));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

int Number(const std::string& field) { return static_cast<int>(strtol(field.c_str(), NULL, 10)); }

}  // namespace

const PlanButton* Plan::Button(int number) const {
    for (const PlanButton& button : buttons)
        if (button.number == number) return &button;
    return nullptr;
}

const PlanButton* Plan::ExitButton() const {
    for (const PlanButton& button : buttons)
        if (!button.install) return &button;
    return nullptr;
}

bool ReadPlan(const std::string& path, Plan& plan, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read the plan " + path;
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        std::vector<std::string> f = Fields(line);
        const std::string& kind = f[0];
        size_t need = kind == "language" ? 4 : kind == "menu" || kind == "captions" ? 3
                    : kind == "button" ? 5 : kind == "confirmation" ? 2
                    : kind == "component" || kind == "copy" ? 4 : kind == "run" ? 3 : 0;
        bool needsButton = kind == "confirmation" || kind == "component" || kind == "run" ||
                           kind == "copy";
        if (need == 0 || f.size() < need || (needsButton && plan.buttons.empty())) {
            error = path + " line " + std::to_string(number) + ": not a plan record: " + line;
            return false;
        }
        if (kind == "language") {
            plan.language = f[1];
            plan.primaryLanguage = Number(f[2]);
            plan.key = f[3];
        } else if (kind == "menu") {
            plan.menuWidth = Number(f[1]);
            plan.menuHeight = Number(f[2]);
        } else if (kind == "captions") {
            plan.ok = f[1];
            plan.cancel = f[2];
        } else if (kind == "button") {
            PlanButton button;
            button.number = Number(f[1]);
            button.control = Number(f[2]);
            button.install = f[3] == "install";
            button.label = f[4];
            plan.buttons.push_back(button);
        } else if (kind == "confirmation") {
            plan.buttons.back().confirmation = f[1];
        } else {
            PlanStep step;
            step.path = f[1];
            if (kind == "component") {
                step.kind = PlanStep::kComponent;
                step.window = f[2];
                step.standin = f[3] == "standin";
            } else if (kind == "run") {
                step.kind = PlanStep::kRun;
                step.window = f[2];
            } else {
                step.kind = PlanStep::kCopy;
                step.destination = f[2];
                step.directory = f[3] == "directory";
            }
            plan.buttons.back().steps.push_back(step);
        }
    }
    if (plan.key.empty() || plan.menuWidth <= 0 || plan.menuHeight <= 0 || !plan.ExitButton()) {
        error = path + ": the plan lacks its language, menu size or exit button";
        return false;
    }
    return true;
}
