#pragma once
// Directory change watcher: to be written.
