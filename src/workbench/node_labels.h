// node_labels.h --- what the labels of the experiment tree's nodes hold and how they are read.
#pragma once

#include <string>

namespace workbench {

// Label of an experiment node: location, "   <", experiment code, ">".
std::string experiment_label(const std::string& location, const std::string& code);

// The location of an experiment label: the text before the first "<", trimmed; the whole
// label when it holds no "<".
std::string get_location(const std::string& label);

// The experiment code of a label: the text between the first "<" and the last character
// (the closing ">" is dropped); "?" when the label holds no "<".
std::string get_vcode(const std::string& label);

// A plot node's label after its name was saved: the old label up to and including its
// first ":" (nothing when it has none), followed by the name.
std::string renamed_plot_label(const std::string& old_label, const std::string& name);

} // namespace workbench
