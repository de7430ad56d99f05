# The newest finished cross-build of the cache folder that scripts/build-*-windows fill
# (TESSARO_CACHE, else XDG_CACHE_HOME/tessaro, else ~/.cache/tessaro): sets `out` to the
# folder of the newest build whose name matches `pattern` and holds the scripts' finished
# stamp, or to "" when there is none. `cache` receives the cache folder searched.
function(tessaro_newest_cached_build pattern out cache)
  if(DEFINED ENV{TESSARO_CACHE})
    set(folder "$ENV{TESSARO_CACHE}")
  elseif(DEFINED ENV{XDG_CACHE_HOME})
    set(folder "$ENV{XDG_CACHE_HOME}/tessaro")
  else()
    set(folder "$ENV{HOME}/.cache/tessaro")
  endif()
  file(GLOB stamps LIST_DIRECTORIES false "${folder}/${pattern}/.tessaro-finished")
  list(SORT stamps COMPARE NATURAL ORDER DESCENDING)
  set(found "")
  if(stamps)
    list(GET stamps 0 stamp)
    get_filename_component(found "${stamp}" DIRECTORY)
  endif()
  set(${out} "${found}" PARENT_SCOPE)
  set(${cache} "${folder}" PARENT_SCOPE)
endfunction()
