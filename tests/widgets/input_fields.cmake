# Tests of the directory field, the numeric field and the calculator.
find_package(Qt6 REQUIRED COMPONENTS Test)

quiltmap_add_test(calculator_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/number_text_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/calculator_test.cpp
  LIBS quiltmap_calculator)

quiltmap_add_test(input_fields_rules_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/placement_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/directory_validity_test.cpp
  LIBS quiltmap_inputfields)

quiltmap_add_test(input_fields_widgets_test GUI
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/adv_directory_edit_test.cpp
  LIBS quiltmap_inputfields Qt6::Test)
target_sources(input_fields_widgets_test PRIVATE ${CMAKE_CURRENT_LIST_DIR}/money_edit_test.cpp)
