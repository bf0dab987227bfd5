#pragma once
// Turns the readable description of a campaign map (XML) into the binary map
// file the campaign reads. The description is checked first: every name fits
// its 40-byte field and is unique, unit names can serve as XML element names
// (scenario files list units that way), sides are known, file names stay in
// their folders, and columns name ships of one side, each ship once.
//
//   <Map name="...">
//     <SceneBox min="x y z" max="x y z"/>   <MapArea min="x y z" max="x y z"/>
//     <Sky texture="..."/>
//     <Sun shininess="f" strength="f" colour="r g b a"/>
//     <Water texture="..." amplitude="f" colour="r g b"/>
//     <Statics><Static name="..." models="m1 [m2 [m3]]" effects="e1 [e2 [e3]]"
//                      position="x y z" [yaw="degrees"] [scale="s"]/>...</Statics>
//     <Units><Unit ... description="file.xml" side="SIDE1|SIDE2|UNSIDE"/>...</Units>
//     <Columns><Column [speed="f"]><Ship>name</Ship>...</Column>...</Columns>
//   </Map>
#include <string>

namespace MapBuild {

// The file's bytes from the description's text; false with a one-line reason
// in `error` when the description is refused.
bool BuildMapFile(const std::string& xml, std::string& out, std::string& error);

} // namespace MapBuild
