# The network example runs headless: a transient flood through its two junctions and steady
# passes, each saving its final state.
add_test(NAME vasquil-batch.network_example_transient
  COMMAND vasquil-batch run ${CMAKE_SOURCE_DIR}/examples/sample-network.vqx --final-hours 30
    --save ${CMAKE_CURRENT_BINARY_DIR}/network-example/transient.vqx)
add_test(NAME vasquil-batch.network_example_steady
  COMMAND vasquil-batch run ${CMAKE_SOURCE_DIR}/examples/sample-network.vqx --steady --passes 20
    --save ${CMAKE_CURRENT_BINARY_DIR}/network-example/steady.vqx)
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/network-example)
