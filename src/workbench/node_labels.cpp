// node_labels.cpp --- reading and writing the labels of the experiment tree.
#include "workbench/node_labels.h"

#include "db/text.h"

namespace workbench {

std::string experiment_label(const std::string& location, const std::string& code) {
    return location + "   <" + code + ">";
}

std::string get_location(const std::string& label) {
    const auto lt = label.find('<');
    if (lt == std::string::npos) return label;
    return db::trim(std::string_view(label).substr(0, lt));
}

std::string get_vcode(const std::string& label) {
    const auto lt = label.find('<');
    if (lt == std::string::npos) return "?";
    if (lt + 1 >= label.size()) return "";
    return label.substr(lt + 1, label.size() - lt - 2);
}

std::string renamed_plot_label(const std::string& old_label, const std::string& name) {
    const auto colon = old_label.find(':');
    if (colon == std::string::npos) return name;
    return old_label.substr(0, colon + 1) + name;
}

} // namespace workbench
