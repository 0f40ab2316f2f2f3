# The layers of cmake/layers.txt. Each folder's targets compile against a view of the source tree
# that holds only the folders the layer may include (links in the build folder), so an include
# that runs the wrong way does not compile.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/layers.txt offrel_layer_lines REGEX "^[a-z]+:")
foreach(line IN LISTS offrel_layer_lines)
    string(REGEX MATCH "^([a-z]+):(.*)$" matched "${line}")
    string(STRIP "${CMAKE_MATCH_2}" uses)
    separate_arguments(uses UNIX_COMMAND "${uses}")
    set(OFFREL_LAYER_USES_${CMAKE_MATCH_1} ${uses})
endforeach()

# The folders a layer sees: its own and, through the layers it uses, theirs.
function(offrel_layer_view folder out)
    set(view ${folder})
    foreach(used IN LISTS OFFREL_LAYER_USES_${folder})
        offrel_layer_view(${used} used_view)
        list(APPEND view ${used_view})
    endforeach()
    list(REMOVE_DUPLICATES view)
    set(${out} ${view} PARENT_SCOPE)
endfunction()

# Compiles target against the view of folder's layer.
function(offrel_layer_includes target folder)
    set(root ${PROJECT_BINARY_DIR}/layers/${folder})
    offrel_layer_view(${folder} view)
    foreach(seen IN LISTS view)
        if(NOT IS_SYMLINK ${root}/${seen})
            file(MAKE_DIRECTORY ${root})
            file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${seen} ${root}/${seen} SYMBOLIC)
        endif()
    endforeach()
    target_include_directories(${target} PRIVATE ${root})
endfunction()

# The library offrel_<folder> (or the name given) of a layer's folder, linked to the libraries
# of the layers it uses.
function(offrel_layer_library folder)
    cmake_parse_arguments(PARSE_ARGV 1 layer "" "NAME" "SOURCES")
    set(target offrel_${folder})
    if(layer_NAME)
        set(target ${layer_NAME})
    endif()
    add_library(${target} STATIC ${layer_SOURCES})
    target_link_libraries(${target} PUBLIC offrel_cfg)
    foreach(used IN LISTS OFFREL_LAYER_USES_${folder})
        get_property(used_target GLOBAL PROPERTY OFFREL_LAYER_TARGET_${used})
        target_link_libraries(${target} PUBLIC ${used_target})
    endforeach()
    offrel_layer_includes(${target} ${folder})
    set_property(GLOBAL PROPERTY OFFREL_LAYER_TARGET_${folder} ${target})
endfunction()
