#include "images/image_catalogue.h"

#include <array>

namespace sky {

namespace {

// clang-format off
constexpr std::array<ImageRow, 56> kRows{{
    {"mnuUSRadarPurdueClick", ImageGroup::Radar, kImagesMenu, "&Radar Images", "&1 - US Radar Image - Purdue",
     "weather.purdue.edu", "/radar/rad_comp.gif", "rad_comp.gif",
     "Skyglass - US Radar Image - Purdue University", "US Radar Image - Purdue", "", false},
    {"mnuUSRadarTexasAMClick", ImageGroup::Radar, kImagesMenu, "&Radar Images", "&2 - US Radar Image - Texas A&&M",
     "www.met.tamu.edu", "/mcsat/mcimages/MDR/MDR.GIF", "MDR.GIF",
     "Skyglass - US Radar Image - Texas A&&M University", "US Radar Image - Texas A&&M", "", false},
    {"mnuUSRadarYahooClick", ImageGroup::Radar, kImagesMenu, "&Radar Images", "&3 - US Radar Image - Yahoo",
     "weather.yahoo.com", "/graphics/radar/nat_rad.wni.gif", "nat_rad.wni.gif",
     "Skyglass - US Radar Image - Yahoo", "US Radar Image - Yahoo", "", false},
    {"mnuUSRadarTopoTexasAMClick", ImageGroup::Radar, kImagesMenu, "&Radar Images", "&4 - US Radar with Topography - Texas A&&M",
     "www.met.tamu.edu", "/mcsat/mcimages/MDR/MDRTOPO.GIF", "MDRTOPO.GIF",
     "Skyglass - US Radar && Topo Image - Texas A&&M University", "US Radar w/Topography - Texas A&&M", "", false},
    {"mnuEuropeSatellite1Click", ImageGroup::Satellite, kImagesMenu, "&Satellite Images", "Europe Satellite Image",
     "weather.yahoo.com", "/graphics/satellite/europe.jpg", "europe.jpg",
     "Skyglass - Europe Satellite Image", "Europe Satellite Image", "", false},
    {"mnuEuropeSatelliteMeteo1Click", ImageGroup::Satellite, kImagesMenu, "&Satellite Images", "Europe Satellite Image - Meteo",
     "www.meteo.fr", "/tpsreel/images/satt0.jpg", "satt0.jpg",
     "Skyglass - Europe Satellite Image - Meteo", "Europe Satellite Image - Meteo", "", false},
    {"mnuGlobalTempUWM1Click", ImageGroup::Satellite, kImagesMenu, "&Satellite Images", "Global Temp/Weather Image - UW-M",
     "www.ssec.wisc.edu", "/data/comp/latest_cmoll.gif", "latest_cmoll.gif",
     "Skyglass - Global Temp/Weather Image - UW-M", "Global Temp/Weather Image - UW-M", "", false},
    {"mnuUSInfraredPurdue1Click", ImageGroup::Satellite, kImagesMenu, "&Satellite Images", "US Infrared Satellite Image - Purdue",
     "weather.purdue.edu", "/satellite/sat_ir_us.gif", "sat_ir_us.gif",
     "Skyglass - US Satellite Image - Purdue University", "US Infrared Satellite Image - Purdue", "", false},
    {"mnuUSSatInfraredRadarPurdue1Click", ImageGroup::Satellite, kImagesMenu, "&Satellite Images", "US Satellite/Infrared/Radar Image - Purdue",
     "www.atms.purdue.edu", "/satellite/sat_ir_rad.gif", "sat_ir_rad.gif",
     "Skyglass - US Sat/Infrared/Radar Image - Purdue University", "US Infrared/Satellite/Radar Image - Purdue", "", false},
    {"mnuCamAlaskaAnchorage1Click", ImageGroup::Camera, kImagesMenu, "&Weather Cams", "Alaska - Anchorage",
     "www.anchoragecam.net", "/recent0.jpg", "recent0.jpg",
     "Skyglass - Weather Cam - Anchorage, Alaska", "", "", false},
    {"mnuCamArizonaPhoenix1Click", ImageGroup::Camera, kImagesMenu, "&Weather Cams", "Arizona - Phoenix",
     "www.phoenixskycam.net", "/Images/Cameras/camera80.jpg", "camera80.jpg",
     "Skyglass - Weather Cam - Phoenix, Arizona", "", "", false},
    {"mnuCamArkansasLittleRock1Click", ImageGroup::Camera, kImagesMenu, "&Weather Cams", "Arkansas - Little Rock",
     "www.littlerockweather.net", "/weather/wxcam.jpg", "wxcam.jpg",
     "Skyglass - Weather Cam - Little Rock, Arkansas", "", "", false},
    {"mnuCamCaliforniaHollywood1Click", ImageGroup::Camera, kImagesMenu, "&Weather Cams", "California - Hollywood",
     "www.hollywoodcam.net", "/hollywood/images/hollysm.jpg", "hollysm.jpg",
     "Skyglass - Weather Cam - Hollywood, California", "", "", false},
    {"mnuCamCaliforniaLakeTahoe1Click", ImageGroup::Camera, kImagesMenu, "&Weather Cams", "California - Lake Tahoe (SugarPine)",
     "www.tahoecam.net", "/sierradsp/sugarpine.jpg", "sugarpine.jpg",
     "Skyglass - Weather Cam - Lake Tahoe, California (Sugarpine Point State Park)", "", "", false},
    {"mnuCamCaliforniaSanFranciscoABC1Click", ImageGroup::Camera, kImagesMenu, "&Weather Cams", "California - San Francisco - ABC",
     "www.sfnewscam.net", "/news/images/roof_cam.jpg", "roof_cam.jpg",
     "Skyglass - Weather Cam - San Francisco, California (ABC)", "", "", false},
    {"mnuCamCaliforniaSanFranciscoClockTower1Click", ImageGroup::Camera, kImagesMenu, "&Weather Cams", "California - San Francisco - Clock Tower",
     "www.sfclocktower.net", "/images/tower.jpg", "tower.jpg",
     "Skyglass - Weather Cam - San Francisco, California (view from Clocktower)", "", "", false},
    {"mnuCamCaliforniaYosemite1Click", ImageGroup::Camera, kImagesMenu, "&Weather Cams", "California - Yosemite Natl. Park, Half Dome",
     "www.halfdomecam.net", "/domecam/capture.jpg", "capture.jpg",
     "Skyglass - Weather Cam - California - Yosemite National Park, Half Dome", "", "", false},
    {"mnuCamCanadaBanffSulphur1Click", ImageGroup::Camera, kImagesMenu, "&Weather Cams", "Canada - Alberta, Banff - Sulphur Mtn.",
     "www.banffsulphurcam.net", "/cam/images/fullsize.jpg", "fullsize.jpg",
     "Skyglass - Weather Cam - Banff, Canada (Sulphur Mtn)", "", "", false},
    {"mnuCamCanadaBanffArts1Click", ImageGroup::Camera, kImagesMenu, "&Weather Cams", "Canada - Alberta, Banff - Banff Ctr. Arts",
     "www.banffartscam.net", "/BanffCam/banffcam.jpeg", "banffcam.jpeg",
     "Skyglass - Weather Cam - Banff, Canada (Banff Centre for the Arts)", "", "", false},
    {"mnuCamCanadaNiagraFalls1Click", ImageGroup::Camera, kImagesMenu, "&Weather Cams", "Canada - Ontario, Niagara Falls - Sheraton",
     "www.fallscam.net", "/image/falls.jpg", "falls.jpg",
     "Skyglass - Weather Cam - Niagara Falls, Canada", "", "", false},
    {"mnuCamColoradoAspenCopper1Click", ImageGroup::Camera, kImagesMenu, "&Weather Cams", "Colorado - Aspen (Copper Mtn)",
     "www.copperslopecam.net", "/slopecam/copper1.jpg", "copper1.jpg",
     "Skyglass - Weather Cam - Aspen, Colorado (Copper Mtn)", "", "", false},
    {"mnuCamColoradoAspenEldora1Click", ImageGroup::Camera, kImagesMenu, "&Weather Cams", "Colorado - Aspen (Eldora Mtn.)",
     "www.eldoraslopecam.net", "/slopecam/eldora.jpg", "eldora.jpg",
     "Skyglass - Weather Cam - Aspen, Colorado (Eldora Mtn Resort)", "", "", false},
    {"mnuCamColoradoAspenMJ1Click", ImageGroup::Camera, kImagesMenu, "&Weather Cams", "Colorado - Aspen (MJ Resort)",
     "www.mjslopecam.net", "/slopecam/wp.jpg", "wp.jpg",
     "Skyglass - Weather Cam - Aspen, Colorado (MJ Resort)", "", "", false},
    {"mnuCamColoradoPikesPeak1Click", ImageGroup::Camera, kImagesMenu, "&Weather Cams", "Colorado - Pikes Peak",
     "www.pikespeakcam.net", "/peak_cam/cam.jpg", "cam.jpg",
     "Skyglass - Weather Cam - Pikes Peak, Colorado", "", "", false},
    {"mnuCamFloridaNASA1Click", ImageGroup::Camera, kImagesMenu, "&Weather Cams", "Florida - NASA Launch Complex 39-B",
     "www.ksc.nasa.gov", "/shuttle/countdown/video/chan6.gif", "chan6.gif",
     "Skyglass - Weather Cam - NASA/Kennedy Space Center - Launch Complex 39-B, Florida", "", "", false},
    {"mnuCamHawaiiMaui1Click", ImageGroup::Camera, kImagesMenu, "&Weather Cams", "Hawaii - Maui",
     "www.mauireefcam.net", "/~reefcam/m6.jpg", "m6.jpg",
     "Skyglass - Weather Cam - Maui, Hawaii", "", "", false},
    {"mnuCamHawaiiOahu1Click", ImageGroup::Camera, kImagesMenu, "&Weather Cams", "Hawaii - Island of O'ahu",
     "www.oahusunsetcam.net", "/pub/videocam/sunset/last.md.jpeg", "last.md.jpeg",
     "Skyglass - Weather Cam - Hawaii - Island of Oahu", "", "", false},
    {"mnuCamMissouriStLouis1Click", ImageGroup::Camera, kImagesMenu, "&Weather Cams", "Missouri - St. Louis",
     "www.stlouisarchcam.net", "/archcam/images/arch_backup.jpg", "arch_backup.jpg",
     "Skyglass - Weather Cam - St. Louis, Missouri", "", "", false},
    {"mnuCamTexasAustin1Click", ImageGroup::Camera, kImagesMenu, "&Weather Cams", "Texas - Austin",
     "www.austinskycam.net", "/images/skycam.jpg", "skycam.jpg",
     "Skyglass - Weather Cam - Austin, Texas", "", "", false},
    {"mnuCamTexasCollegeStation1Click", ImageGroup::Camera, kImagesMenu, "&Weather Cams", "Texas - College Station, A&&M",
     "www.collegestationcam.net", "/webcam/view.gif", "view.gif",
     "Skyglass - Weather Cam - College Station - A&&M", "", "", false},
    {"mnuCamTexasDallas1Click", ImageGroup::Camera, kImagesMenu, "&Weather Cams", "Texas - Dallas",
     "www.dallasviewcam.net", "/graphics/view11.jpg", "view11.jpg",
     "Skyglass - Weather Cam - Dallas, Texas", "", "", false},
    {"mnuCamUtahAlta1Click", ImageGroup::Camera, kImagesMenu, "&Weather Cams", "Utah - Alta",
     "www.altacam.net", "/wxcams/images/cameras/alts/current.gif", "current.gif",
     "Skyglass - Weather Cam - Alta, Utah", "", "", false},
    {"mnuUSStormWatch1Click", ImageGroup::StormWatch, kImagesMenu, "", "U.S. StormWatch",
     "www.earthwatch.com", "/STORMWATCH/images/SWUS2D.gif", "SWUS2D.gif",
     "Skyglass - Current U.S. StormWatch - by EarthWatch", "", "", true},
    {"mnu10Africa1Click", ImageGroup::TempOutlook, kForecastsMenu, "&1 - 10-day Temperature Outlook", "&1 - Africa",
     "grads.iges.org", "/pix/temp10.gif", "temp10.gif",
     "Skyglass - 10-Day Outlook for Africa", "", "", false},
    {"mnu10Australia1Click", ImageGroup::TempOutlook, kForecastsMenu, "&1 - 10-day Temperature Outlook", "&2 - Australia",
     "grads.iges.org", "/pix/temp7.gif", "temp7.gif",
     "Skyglass - 10-Day Outlook for Australia", "", "", false},
    {"mnu10CanadaAlaska1Click", ImageGroup::TempOutlook, kForecastsMenu, "&1 - 10-day Temperature Outlook", "&3 - Canada && Alaska",
     "grads.iges.org", "/pix/temp2.gif", "temp2.gif",
     "Skyglass - 10-Day Outlook for Canada && Alaska", "", "", false},
    {"mnu10ContinentalUS1Click", ImageGroup::TempOutlook, kForecastsMenu, "&1 - 10-day Temperature Outlook", "&4 - Continental US",
     "grads.iges.org", "/pix/temp1.gif", "temp1.gif",
     "Skyglass - 10-Day Outlook for Continental US", "", "", false},
    {"mnu10EastAsia1Click", ImageGroup::TempOutlook, kForecastsMenu, "&1 - 10-day Temperature Outlook", "&5 - East Asia",
     "grads.iges.org", "/pix/temp5.gif", "temp5.gif",
     "Skyglass - 10-Day Outlook for East Asia", "", "", false},
    {"mnu10Europe1Click", ImageGroup::TempOutlook, kForecastsMenu, "&1 - 10-day Temperature Outlook", "&6 - Europe",
     "grads.iges.org", "/pix/temp4.gif", "temp4.gif",
     "Skyglass - 10-Day Outlook for Europe", "", "", false},
    {"mnu10MexicoCarribean1Click", ImageGroup::TempOutlook, kForecastsMenu, "&1 - 10-day Temperature Outlook", "&7 - Mexico && Caribbean",
     "grads.iges.org", "/pix/temp3.gif", "temp3.gif",
     "Skyglass - 10-Day Outlook for Mexico && Caribbean", "", "", false},
    {"mnu10MidEast1Click", ImageGroup::TempOutlook, kForecastsMenu, "&1 - 10-day Temperature Outlook", "&8 - MidEast",
     "grads.iges.org", "/pix/temp9.gif", "temp9.gif",
     "Skyglass - 10-Day Outlook for MidEast", "", "", false},
    {"mnu10SouthAmerica1Click", ImageGroup::TempOutlook, kForecastsMenu, "&1 - 10-day Temperature Outlook", "&9 - South America",
     "grads.iges.org", "/pix/temp8.gif", "temp8.gif",
     "Skyglass - 10-Day Outlook for South America", "", "", false},
    {"mnu10SouthAsia1Click", ImageGroup::TempOutlook, kForecastsMenu, "&1 - 10-day Temperature Outlook", "&a - South Asia",
     "grads.iges.org", "/pix/temp6.gif", "temp6.gif",
     "Skyglass - 10-Day Outlook for South Asia", "", "", false},
    {"mnu10PrecAfricaClick", ImageGroup::PrecOutlook, kForecastsMenu, "&2 - 10-day Precipitation Outlook", "&1 - Africa",
     "grads.iges.org", "/pix/prec10.gif", "prec10.gif",
     "Skyglass - 10-Day Precipitation Outlook for Africa", "", "", false},
    {"mnu10PrecAustraliaClick", ImageGroup::PrecOutlook, kForecastsMenu, "&2 - 10-day Precipitation Outlook", "&2 - Australia",
     "grads.iges.org", "/pix/prec7.gif", "prec7.gif",
     "Skyglass - 10-Day Precipitation Outlook for Australia", "", "", false},
    {"mnu10PrecCanadaAlaskaClick", ImageGroup::PrecOutlook, kForecastsMenu, "&2 - 10-day Precipitation Outlook", "&3 - Canada && Alaska",
     "grads.iges.org", "/pix/prec2.gif", "prec2.gif",
     "Skyglass - 10-Day Precipitation Outlook for Canada && Alaska", "", "", false},
    {"mnu10PrecContinentalUSClick", ImageGroup::PrecOutlook, kForecastsMenu, "&2 - 10-day Precipitation Outlook", "&4 - Continental US",
     "grads.iges.org", "/pix/prec1.gif", "prec1.gif",
     "Skyglass - 10-Day Precipitation Outlook for Continental US", "", "", false},
    {"mnu10PrecEastAsiaClick", ImageGroup::PrecOutlook, kForecastsMenu, "&2 - 10-day Precipitation Outlook", "&5 - East Asia",
     "grads.iges.org", "/pix/prec5.gif", "prec5.gif",
     "Skyglass - 10-Day Precipitation Outlook for East Asia", "", "", false},
    {"mnu10PrecEuropeClick", ImageGroup::PrecOutlook, kForecastsMenu, "&2 - 10-day Precipitation Outlook", "&6 - Europe",
     "grads.iges.org", "/pix/prec4.gif", "prec4.gif",
     "Skyglass - 10-Day Precipitation Outlook for Europe", "", "", false},
    {"mnu10PrecMexicoCarribeanClick", ImageGroup::PrecOutlook, kForecastsMenu, "&2 - 10-day Precipitation Outlook", "&7 - Mexico && Caribbean",
     "grads.iges.org", "/pix/prec3.gif", "prec3.gif",
     "Skyglass - 10-Day Precipitation Outlook for Mexico && Caribbean", "", "", false},
    {"mnu10PrecMidEastClick", ImageGroup::PrecOutlook, kForecastsMenu, "&2 - 10-day Precipitation Outlook", "&8 - MidEast",
     "grads.iges.org", "/pix/prec9.gif", "prec9.gif",
     "Skyglass - 10-Day Precipitation Outlook for MidEast", "", "", false},
    {"mnu10PrecSouthAmericaClick", ImageGroup::PrecOutlook, kForecastsMenu, "&2 - 10-day Precipitation Outlook", "&9 - South America",
     "grads.iges.org", "/pix/prec8.gif", "prec8.gif",
     "Skyglass - 10-Day Precipitation Outlook for South America", "", "", false},
    {"mnu10PrecSouthAsiaClick", ImageGroup::PrecOutlook, kForecastsMenu, "&2 - 10-day Precipitation Outlook", "&a - South Asia",
     "grads.iges.org", "/pix/prec6.gif", "prec6.gif",
     "Skyglass - 10-Day Precipitation Outlook for South Asia", "", "", false},
    {"mnu1and3monthUSPrecipitation1Click", ImageGroup::Seasonal, kForecastsMenu, "", "&3 - 1 and 3-month US Temper. && Precip. Outlook",
     "www.cpc.ncep.noaa.gov", "/products/predictions/multi_season/13_seasonal_outlooks/color/page2.gif", "page2.gif",
     "Skyglass - 1 and 3-Month US Temperature & Precipitation Outlook", "", "Note: The bottom two images depict the 3-month outlook.  The letters above the purple bar indicate month.", false},
    {"mnu12monthUSTemperature1Click", ImageGroup::Seasonal, kForecastsMenu, "", "&4 - 12-month US Temperature Outlook",
     "www.cpc.ncep.noaa.gov", "/products/predictions/multi_season/13_seasonal_outlooks/color/page3.gif", "page3.gif",
     "Skyglass - 12-month US Temperature Outlook", "", "Note: The letters above the purple bars indicate the respective months.", false},
    {"mnu12monthUSPrecipitation1Click", ImageGroup::Seasonal, kForecastsMenu, "", "&5 - 12-month US Precipitation Outlook",
     "www.cpc.ncep.noaa.gov", "/products/predictions/multi_season/13_seasonal_outlooks/color/page4.gif", "page4.gif",
     "Skyglass - 12-month US Precipitation Outlook", "", "Note: The letters above the purple bars indicate the respective months.", false},
}};
// clang-format on

}  // namespace

std::span<const ImageRow> ImageCatalogue() { return kRows; }

const ImageRow& LocalRadarRow() {
  static constexpr ImageRow kRow{"mnuLocalRadarClick",
                                 ImageGroup::Radar,
                                 kImagesMenu,
                                 "",
                                 "&Local Radar",
                                 "weather.purdue.edu",
                                 kLocalRadarPath,
                                 "local_loop.gif",
                                 "Skyglass - Local Radar",
                                 "",
                                 "",
                                 true};
  return kRow;
}

std::string PlaceQuery(const std::string& conditionsPath) {
  static const char* const kHex = "0123456789ABCDEF";
  std::string query = "?place=";
  for (char ch : conditionsPath) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
        c == '-') {
      query += ch;
    } else {
      query += '%';
      query += kHex[c >> 4];
      query += kHex[c & 15];
    }
  }
  return query;
}

std::string LocalRadarAddress(const std::string& conditionsPath) {
  return LocalRadarRow().SourceAddress() + PlaceQuery(conditionsPath);
}

const ImageRow* FindImageCommand(const std::string& command) {
  for (const ImageRow& row : kRows)
    if (command == row.command) return &row;
  return nullptr;
}

const ImageRow* FindAutoWallpaperRow(const std::string& value) {
  for (const ImageRow& row : kRows)
    if (row.autoWallpaper[0] != '\0' && value == row.autoWallpaper) return &row;
  return nullptr;
}

bool IsWallpaperChoice(const std::string& value) {
  if (value == "None") return true;
  const ImageRow* row = FindAutoWallpaperRow(value);
  return row && !row->animate;
}

std::string PlainCaption(const std::string& caption) {
  std::string out;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += caption[i];
  }
  return out;
}

}  // namespace sky
