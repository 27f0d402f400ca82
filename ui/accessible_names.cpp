#include "ui/accessible_names.h"

#include "ui/resource_ids.h"

namespace kadenzo {

namespace {

constexpr char kCount[] = "Absolute frame count";
constexpr char kHours[] = "Hours of the time";
constexpr char kMinutes[] = "Minutes of the time";
constexpr char kSeconds[] = "Seconds of the time";
constexpr char kFrames[] = "Frames of the time";

constexpr CDialog::AccessibleName kNames[] = {
    {IDC_FIRST_COUNT, "First operand absolute frames", kCount},
    {IDC_FIRST_HOURS, "First operand hours", kHours},
    {IDC_FIRST_MINUTES, "First operand minutes", kMinutes},
    {IDC_FIRST_SECONDS, "First operand seconds", kSeconds},
    {IDC_FIRST_FRAMES, "First operand time frames", kFrames},
    {IDC_SECOND_COUNT, "Second operand absolute frames", kCount},
    {IDC_SECOND_HOURS, "Second operand hours", kHours},
    {IDC_SECOND_MINUTES, "Second operand minutes", kMinutes},
    {IDC_SECOND_SECONDS, "Second operand seconds", kSeconds},
    {IDC_SECOND_FRAMES, "Second operand time frames", kFrames},
    {IDC_RESULT_COUNT, "Result absolute frames", kCount},
    {IDC_RESULT_HOURS, "Result hours", kHours},
    {IDC_RESULT_MINUTES, "Result minutes", kMinutes},
    {IDC_RESULT_SECONDS, "Result seconds", kSeconds},
    {IDC_RESULT_FRAMES, "Result time frames", kFrames},
};

}  // namespace

std::span<const CDialog::AccessibleName> CalculatorFieldNames() {
  return kNames;
}

}  // namespace kadenzo
