#pragma once
// Every piece of state this process keeps outside any one object, and who
// sets it. Each piece registers how to put it back the first time it is set,
// so one call returns the process to its starting state whichever libraries
// it links; tests call it between cases.
//
//   piece              kept by                         set by
//   engine instance    Corvane::setSharedEngine        the home screen's launch (hook layer); never
//                                                      destroyed in a host
//   host platform      platform::HostPlatform          SpringBoardHooks::install (load-time constructor)
//   hook originals     SpringBoardHooks                SpringBoardHooks::install; replaced by the next one
//   common settings    CommonToAllStrategies           the engine's settings reload
//   debug flag         DebugLog                        the engine's settings reload ("Debug"); on at load
//   preference model   app::PlistController            made on first use by the app's screens
//   graph loader       app::PlotDBLoader               made on first use by the graph screen
//   app's main loop    app::MainRunLoop::main          made on first use; work posted by the app's models
//   app platform       app::AppPlatform::install       the app's main; a fallback phone until then
//   user defaults      app::UserDefaults               re-read whenever the filesystem root changes
//   app log sink       app::AppLog::setSink            whoever redirects the lines puts them back

namespace corvane {

class ProcessState {
public:
    // In the order reset puts them back.
    enum Piece {
        kEngineInstance,
        kHostPlatform,
        kCommonSettings,
        kDebugFlag,
        kPreferenceModel,
        kGraphLoader,
        kMainRunLoop,
        kAppPlatform,
        kPieceCount
    };
    using Reset = void (*)();

    // Remembers how to put `piece` back (the latest registration counts).
    static void registerReset(Piece piece, Reset reset);
    // Puts back every piece set so far, in the order of Piece.
    static void reset();
};

}  // namespace corvane
