// Every camera path the controller reads or writes, and the name formats of
// its per-channel files, each written once. The library, the simulator, the
// benchmarks and the fuzz targets all take their paths from here; on a
// desktop host each goes through cameraPath (CameraFileSystem.h) or the
// host's own device root.
#ifndef SENSORDLL_PLATFORM_CAMERA_PATHS_H
#define SENSORDLL_PLATFORM_CAMERA_PATHS_H

namespace camerapath {

// The host's machine information and module configuration, read through the
// host's parsers.
constexpr char MACHINE_INFO_FILE[] = "/mnt/mtd/code/factory_setting/machineinfo.ini";
constexpr char MODULE_CONFIG_FILE[] = "/hd1/moduleConfig/moduleConfig.xml";

// The scheme files, by channel and scheme (visible) or by scheme (thermal),
// and the version file beside them. src/storage/SchemeFiles.h formats them.
constexpr char VISIBLE_SCHEME_FILE[] = "/mnt/mtd/code/config_file/sensor%d_%d.cfg";
constexpr char THERMAL_SCHEME_FILE[] = "/mnt/mtd/code/config_file/sensor-thermal%d.cfg";
constexpr char VERSION_FILE[] = "/mnt/mtd/code/config_file/snsversion.cfg";

// The base styles and diversity documents of the three style families.
constexpr char STYLE_FILE[] = "/hd1/moduleConfig/sensorConfig/style/Style.xml";
constexpr char STYLE_DIVERSITY_FILE[] = "/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity.xml";
constexpr char DOME_STYLE_FILE[] = "/hd1/moduleConfig/sensorConfig/style/Style_dome.xml";
constexpr char DOME_STYLE_DIVERSITY_FILE[] = "/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity_dome.xml";
constexpr char THERMAL_STYLE_FILE[] = "/hd1/moduleConfig/sensorConfig/style/Style_Thermal.xml";
constexpr char THERMAL_STYLE_DIVERSITY_FILE[] =
    "/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity_Thermal.xml";

// The merged style of a channel, by channel.
constexpr char MERGED_STYLE_FILE[] = "/tmp/merge_style_ch%d.xml";

// The diagnostics' control file and error log.
constexpr char DEBUG_CONTROL_FILE[] = "/tmp/Debug.sign";
constexpr char ERROR_LOG_FILE[] = "/mnt/mtd/log/SensorError.log";

// The field-of-view sync file of the mixed thermal and visible stream.
constexpr char SYNC_FOV_FILE[] = "/mnt/mtd/hd1/program/config/sync_fov.ini";

}  // namespace camerapath

#endif
