# Labels every test of the current directory, so that `ctest -L <label>` picks one kind:
#   unit     a library on its own, no display and no built program
#   gui      widgets on Qt's offscreen platform
#   e2e      the built programs or the whole application end to end
#   slow     minutes rather than seconds: load, huge inputs, the Debian package
#   threads  the reader thread and what it calls: what ThreadSanitizer runs
# The directory's test programs join the build target tests_<label>, so that a step
# builds only the programs of the label it runs.
function(velora_test_labels)
    set_property(DIRECTORY PROPERTY LABELS ${ARGN})
    get_property(targets DIRECTORY PROPERTY BUILDSYSTEM_TARGETS)
    set(programs)
    foreach(target ${targets})
        get_target_property(type ${target} TYPE)
        if(type STREQUAL EXECUTABLE)
            list(APPEND programs ${target})
        endif()
    endforeach()
    foreach(label ${ARGN})
        if(NOT TARGET tests_${label})
            add_custom_target(tests_${label})
        endif()
        if(programs)
            add_dependencies(tests_${label} ${programs})
        endif()
    endforeach()
endfunction()
