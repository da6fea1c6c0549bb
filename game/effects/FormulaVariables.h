#pragma once
#include <map>
#include <string>

// Named doubles that formulas read and assign; names are case-sensitive.
class FormulaVariables {
public:
    // The formula's result, or 0.0 for an empty or faulty formula. Assignments
    // made before an error stay in the table.
    double Evaluate(const std::string& formula);
    void SetVariable(const std::string& name, double value);

    std::map<std::string, double> mVariables;
};
