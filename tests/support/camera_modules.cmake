# The module files of camera types that the suites enumerating camera types
# walk (the module tables, evaluate's allocations, the robustness suites, the
# ray-grid smoke test): each is loaded in the stand-in host and the types are
# read from its server table. A further module of camera types is one more
# target name here; suites that keep data per type then fail, naming each
# type whose data is missing.
set(LENTARA_CAMERA_MODULES Vantor_Lentara Vantor_LentaraXR)
