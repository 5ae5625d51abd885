#include "res/string_table.h"

#include <map>

namespace res {

namespace {

// "\xE0" is a-grave in Windows-1252.
const std::map<unsigned, const char*> kStrings = {
    {130, "Confermi invio codice di confronto astuccio '%s' allo scanner ?"},
    {131, "Impossibile avviare il timer!\nLa procedura di invio codice sar\xE0 annullata!"},
    {132, "Timeout risposta da scanner!\nLa procedura di invio codice sar\xE0 annullata!"},
    {133,
     "Numero caratteri codice errato (richiesti [%i..%i]) !\nLa procedura di invio codice "
     "sar\xE0 annullata!"},
    {134, "--> ERRORE: Timeout risposta da scanner!"},
    {135, "Invio codice controllo astuccio..."},
    {136, "--> ERRORE: Impossibile avviare il timer!"},
    {137,
     "Impossibile aprire dispositivo di comunicazione seriale!\nLa procedura di invio codice "
     "sar\xE0 annullata!"},
    {138,
     "Impossibile inviare dati al dispositivo di comunicazione seriale!\nLa procedura di invio "
     "codice sar\xE0 annullata!"},
    {139,
     "Errore durante la ricezione da dispositivo di comunicazione seriale!\nLa procedura di "
     "invio codice sar\xE0 annullata!"},
    {140, "Procedura di scaricamento codice terminata correttamente."},
    {141, "Procedura di scaricamento codice NON completata !"},
    {142, "--> ERRORE: Impossibile aprire dispositivo di comunicazione seriale!"},
    {143, "--> ERRORE: Impossibile inviare dati al dispositivo di comunicazione seriale!"},
    {144, "Procedura di scaricamento codice terminata correttamente."},
    {145, "--> ERRORE: Problemi durante ricezione dati da dispositivo di comunicazione seriale!"},
    {146, "--> ERRORE: Lo scanner ha rilevato problemi di comunicazione !"},
    {147, "Questa operazione chiude l'applicazione e consente l'accesso a Windows !"},
    {148, "Questa operazione chiude l'applicazione e spegne il sistema !"},
    {149, "Confermi invio codice di confronto letteratura '%s' allo scanner ?"},
    {150, "Invio codice controllo letteratura..."},
    // A code holding a control byte, which would reach the scanner as a command or as padding.
    {151,
     "Il codice contiene caratteri non ammessi !\nLa procedura di invio codice sar\xE0 annullata!"},
};

}  // namespace

std::string LoadString(unsigned id) {
  const auto it = kStrings.find(id);
  return it == kStrings.end() ? std::string() : std::string(it->second);
}

}  // namespace res
