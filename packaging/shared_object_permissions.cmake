# Run by CPack on its staging tree before it packs it: shared objects are read by the loader,
# never executed, so they are 0644 as Debian wants them, whichever install rule put them there.
file(GLOB_RECURSE objects LIST_DIRECTORIES false
     "${CPACK_TEMPORARY_DIRECTORY}/*.so" "${CPACK_TEMPORARY_DIRECTORY}/*.so.*")
foreach(object IN LISTS objects)
  if(NOT IS_SYMLINK "${object}")
    file(CHMOD "${object}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endif()
endforeach()
