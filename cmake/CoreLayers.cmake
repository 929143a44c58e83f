# The Qt-free layers of src/, lowest first, each with the layers it may use
# (which pass on theirs). The program's build and the fuzz build both read
# this list.
set(VORNIK_CORE_LAYERS core quantities device config tables reception datafiles printing ports headless)
set(VORNIK_LAYER_USES_core)
set(VORNIK_LAYER_USES_device core)
# What each table column holds, described once; the settings use it.
set(VORNIK_LAYER_USES_quantities core)
set(VORNIK_LAYER_USES_config quantities)
set(VORNIK_LAYER_USES_tables config)
set(VORNIK_LAYER_USES_reception tables)
set(VORNIK_LAYER_USES_datafiles reception)
set(VORNIK_LAYER_USES_printing tables)
# Every kind of port by name, the simulated instrument among them.
set(VORNIK_LAYER_USES_ports reception device)
set(VORNIK_LAYER_USES_headless datafiles ports)
