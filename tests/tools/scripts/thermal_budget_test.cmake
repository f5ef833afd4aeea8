# One budget run of a still channel freezing over for 30 days, run with cmake -P.
# Variables: CASE (variant_ends_formulation), BATCH (the runner), CHECK (thermal_budget), WORK
# (scratch folder).
include(${CMAKE_CURRENT_LIST_DIR}/batch_common.cmake)

string(REPLACE "_" ";" parts "${CASE}")
list(GET parts 0 variant)
list(GET parts 1 ends)
list(GET parts 2 form)
set(formulations rectangular natural conservation)
list(FIND formulations "${form}" formulation)

# The bounds of the heat and mass imbalances (relative) and of the difference from Stefan's law.
set(heat 1e-6)
set(mass 1e-6)
set(stefan 0.02)

check(model ${variant} ${formulation} ${ends} channel.vqx)
expect_success(run channel.vqx --final-hours 720 --db channel.db --db-every-hours 0 --save end.vqx)
check(check channel.vqx channel.db end.vqx ${heat} ${mass} ${stefan})
message(STATUS "${CASE}: ${RESULT}")
