// parameter_openers.h --- where the workbench opens the parameter editor and the simple soil
// dialog: a double click on the label "soil" and a right press on the soil list.
#pragma once

namespace ui {

class Trange_select;
class Tsrb_parms;
class Tsimplesoilfrm;

// Sets the workbench's hooks "soil label" and "soil list", and lets the editor refresh the
// workbench's soil list after a change of the profiles.
// "soil label": with the power flag the editor on the page "Soil Profiles" at the selected
// profile; without it the simple soil dialog with the selected profile's name, then the
// soil list refilled, the name the dialog returned selected and the site saved.
// "soil list": the editor on the page "Soil Profiles".
void connect_soil_openers(Trange_select& workbench, Tsrb_parms& editor,
                          Tsimplesoilfrm& simple_soil);

} // namespace ui
