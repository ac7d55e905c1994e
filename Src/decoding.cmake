# Decoding into text: answers, commands, the event filter and the event listener. One
# library, linked by the desktop program and the command-line tools.
add_library(velora_decoding STATIC
    ${VELORA_INCLUDE_DIR}/AnswerDecoder.h
    ${VELORA_INCLUDE_DIR}/EventFilter.h
    ${VELORA_INCLUDE_DIR}/EventListener.h
    ${VELORA_INCLUDE_DIR}/MessageType.h
    ${CMAKE_CURRENT_SOURCE_DIR}/AnswerDecoder.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/EventFilter.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/EventListener.cpp
)
set_target_properties(velora_decoding PROPERTIES AUTOMOC ON)
target_include_directories(velora_decoding PUBLIC ${VELORA_INCLUDE_DIR})
target_link_libraries(velora_decoding PUBLIC velora_listener velora_protocol config_velora_tq4
                      Qt5::Core)
